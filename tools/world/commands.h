#pragma once
// Sub-commands of kestravel-world; each takes the arguments after its name.
#include <cstdint>

int commandZone(int argc, char** argv);
int commandCheck(int argc, char** argv);
int commandRun(int argc, char** argv);
int commandMap(int argc, char** argv);
int commandRoute(int argc, char** argv);
int commandMeasure(int argc, char** argv);
int commandPlay(int argc, char** argv);
// False, after saying on standard error what is wrong, when the world file cannot be read;
// the message starts with who ("kestravel-world run").
bool isWorldReadable(const char* who, const char* path);
// A headless game on the world file at path, standing at its start as after start-up.
void startWorldGame(const char* path);
// A whole number argument that fits an int32, nothing before or after it.
bool readWholeArgument(const char* text, int32_t& value);
