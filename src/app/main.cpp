#include "app/program.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    // With GERUNDO_ANNOUNCE_READY set, one line "gerundo: ready" on standard output once the main
    // window is shown: scripts that start the program (the package check) wait for it.
    const bool announce = qEnvironmentVariableIsSet("GERUNDO_ANNOUNCE_READY");
    return runProgram(argc, argv, [announce](MainWindow&) {
        if (!announce)
            return;
        QTimer::singleShot(0, [] {
            std::puts("gerundo: ready");
            std::fflush(stdout);
        });
    });
}
