#include "launcher/launch.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return launchProgram(LAUNCH_TARGET, false, arguments) == LAUNCH_STARTED ? 0 : 1;
}
