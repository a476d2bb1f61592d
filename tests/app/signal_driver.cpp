// The program as it runs, for the test of its ending from outside: start-up with a short splash,
// then one deletion left pending in the shared transaction (as a screen's deletion that commits
// nothing leaves it), optionally a screen open over the main window; "ready" on standard output
// once that stands.
#include "app/infoscreens.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "app/splash.h"
#include "storage/shared_datasets.h"
#include "ui/modal.h"

#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const bool screenOpen = argc > 1 && std::strcmp(argv[1], "--screen-open") == 0;
    LoadingSplash::setIntervalForTests(10);
    return runProgram(argc, argv, [screenOpen](MainWindow& window) {
        Data->ZQ23.setSql({QStringLiteral("DELETE FROM kiszall"), QStringLiteral("WHERE kfulszam = :p1")});
        Data->ZQ23.setParamText(QStringLiteral("p1"), QStringLiteral("123"));
        Data->ZQ23.execSql();
        QTimer::singleShot(0, &window, [&window, screenOpen] {
            if (screenOpen) {
                QTimer::singleShot(0, [] {
                    std::puts("ready");
                    std::fflush(stdout);
                });
                runScreen<AboutDialog>(&window);
            } else {
                std::puts("ready");
                std::fflush(stdout);
            }
        });
    });
}
