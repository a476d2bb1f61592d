#include "app/mainwindow.h"
#include "db/client.h"
#include "ui/platform.h"

#include <QApplication>

namespace {
// Failures no screen catches itself end up in the standard error box, with the engine's text.
class GerundoApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            platform::showError(activeWindow(), QString::fromStdString(e.what()));
        }
        return false;
    }
};
}  // namespace

int main(int argc, char** argv)
{
    // The embedded engine's lock files go to a directory of the user's own.
    fb::preparePerUserLockDirectory();
    GerundoApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Gerundo"));
    MainWindow window;
    if (!window.startUp())
        return 0;
    window.show();
    const int rc = app.exec();
    window.shutDown();
    return rc;
}
