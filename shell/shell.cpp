#include "shell/shell.h"
#include <cstdlib>
// stub: to be implemented
ShellState shell;
void resetShellState() {}
int runGame() { return 0; }
void handleGlobalKeys() {}
void waitForFrameCap() {}
void updateFpsEstimate() {}
void fatalExit(const std::string&) { std::exit(1); }
