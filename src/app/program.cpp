#include "app/program.h"

#include "app/exit_signals.h"
#include "app/mainwindow.h"
#include "db/client.h"
#include "ui/platform.h"
#include "ui/translations.h"

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
            platform::showError(activeWindow(), e);
        }
        return false;
    }
};
}  // namespace

int runProgram(int argc, char** argv, const std::function<void(MainWindow&)>& started)
{
    // Before any thread exists (the engine's, the window system's): the requests to end reach the
    // event loop only.
    ExitSignals::holdBack();
    // The embedded engine's lock files go to a directory of the user's own.
    fb::preparePerUserLockDirectory();
    GerundoApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Gerundo"));
    platform::installQtTranslations(app);
    MainWindow window;
    if (!window.startUp())
        return 0;
    ExitSignals fromOutside;
    QObject::connect(&fromOutside, &ExitSignals::received, &window, [&window] {
        // As "Kilépés" (the main window's closing commits and disconnects), and out of any screen
        // open over it: every running event loop ends.
        window.close();
        QCoreApplication::exit(0);
    });
    window.show();
    if (started)
        started(window);
    const int rc = app.exec();
    window.shutDown();
    return rc;
}
