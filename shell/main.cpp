#include "shell/shell.h"

int main(int, char**) { return runGame(); }
