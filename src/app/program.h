#pragma once

#include <functional>

class MainWindow;

// The whole program: start-up, then the main window until "Kilépés", or until the program is asked
// to end from outside (SIGTERM, SIGHUP, SIGINT: a shutdown, a logout), which ends it the same way:
// pending work committed, the connection closed, any screen still open left. started runs once
// start-up has succeeded (a test driver prepares its case there). Returns the exit code.
int runProgram(int argc, char** argv, const std::function<void(MainWindow&)>& started = {});
