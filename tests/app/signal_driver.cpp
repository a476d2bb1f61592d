// The program as it runs, for the test of its ending from outside; "ready" on standard output once
// the state asked for stands:
//   (no argument)        the main window, with one deletion left pending in the shared transaction
//                        (as a screen's deletion that commits nothing leaves it)
//   --screen-open        the same, with a screen open over the main window
//   --splash             the loading splash, kept for a minute
//   --startup-message    the start-up message (run where there is no Dudoz.fdb)
//   --importing          the legacy import screen importing the sample files of ./legacy/
#include "app/infoscreens.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "app/splash.h"
#include "legacy_sample.h"
#include "maintenance/legacy_import.h"
#include "storage/shared_datasets.h"
#include "ui/modal.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

QString g_mode;

void sayReady()
{
    std::puts("ready");
    std::fflush(stdout);
}

// Says "ready" once a top-level window of the given kind is shown (and, when given, ready says so).
template <typename Window>
void readyWhenShown(std::function<bool(Window*)> ready = {})
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, ready] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<Window*>(w); window && window->isVisible() && (!ready || ready(window))) {
                poll->stop();
                poll->deleteLater();
                sayReady();
                return;
            }
    });
    poll->start(10);
}

// Runs as the application object is made, before start-up: the splash and the start-up message
// are watched from their first moment.
void watchStartUp()
{
    if (g_mode == QLatin1String("--splash"))
        readyWhenShown<LoadingSplash>();
    else if (g_mode == QLatin1String("--startup-message"))
        readyWhenShown<QMessageBox>();
}
Q_COREAPP_STARTUP_FUNCTION(watchStartUp)

}  // namespace

int main(int argc, char** argv)
{
    g_mode = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    LoadingSplash::setIntervalForTests(g_mode == QLatin1String("--splash") ? 60000 : 10);
    if (g_mode == QLatin1String("--importing")) {
        QDir().mkpath(QStringLiteral("legacy"));
        legacysample::write(QStringLiteral("legacy/"), legacysample::countsFor(200000));
    }
    return runProgram(argc, argv, [](MainWindow& window) {
        if (g_mode == QLatin1String("--importing")) {
            // Ready once lines are being committed: the progress line counts the lines written.
            readyWhenShown<QWidget>([](QWidget* w) {
                auto* progress = w->findChild<QLabel*>(QStringLiteral("ProgressLabel"));
                if (w->objectName() != QLatin1String("Form31") || !progress)
                    return false;
                static const QRegularExpression written(QStringLiteral("beírva (\\d+)"));
                const QRegularExpressionMatch m = written.match(progress->text());
                return m.hasMatch() && m.captured(1).toInt() > 100;
            });
            QTimer::singleShot(0, &window, [&window] {
                QTimer::singleShot(0, [] {
                    for (QWidget* w : QApplication::topLevelWidgets())
                        if (auto* screen = qobject_cast<LegacyImportDialog*>(w)) {
                            screen->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("legacy/"));
                            screen->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
                        }
                });
                runScreen<LegacyImportDialog>(&window);
            });
            return;
        }
        Data->ZQ23.setSql({QStringLiteral("DELETE FROM kiszall"), QStringLiteral("WHERE kfulszam = :p1")});
        Data->ZQ23.setParamText(QStringLiteral("p1"), QStringLiteral("123"));
        Data->ZQ23.execSql();
        const bool screenOpen = g_mode == QLatin1String("--screen-open");
        QTimer::singleShot(0, &window, [&window, screenOpen] {
            if (screenOpen) {
                QTimer::singleShot(0, [] { sayReady(); });
                runScreen<AboutDialog>(&window);
            } else {
                sayReady();
            }
        });
    });
}
