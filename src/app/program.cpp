#include "app/program.h"

#include "app/exit_signals.h"
#include "app/mainwindow.h"
#include "db/client.h"
#include "ui/longjob.h"
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
    // Read from the first moment on: the splash and the start-up message end at once as well.
    bool endRequested = false;
    ExitSignals fromOutside;
    QObject::connect(&fromOutside, &ExitSignals::received, &window, [&window, &endRequested] {
        endRequested = true;
        if (input::LongJob::anyRunning()) {
            // A job inside a screen's handler (an import) stops at its next step; the connection
            // is closed below once it has returned, not under it.
            input::LongJob::requestEnd();
        } else {
            // As "Kilépés" (the main window's closing commits and disconnects).
            window.close();
        }
        // Out of any screen, box or splash open: every running event loop ends, and one opened
        // from here on returns at once.
        QCoreApplication::exit(0);
    });
    if (!window.startUp() || endRequested) {
        window.shutDown();
        return 0;
    }
    window.show();
    if (started)
        started(window);
    const int rc = app.exec();
    window.shutDown();
    return rc;
}
