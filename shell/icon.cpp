#include "shell/display.h"
// stub: to be implemented
void applyWindowIcon(const std::string&) {}
