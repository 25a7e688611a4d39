#pragma once
// Sub-commands of kestravel-world; each takes the arguments after its name.
int commandZone(int argc, char** argv);
int commandCheck(int argc, char** argv);
int commandRun(int argc, char** argv);
int commandMap(int argc, char** argv);
int commandRoute(int argc, char** argv);
int commandMeasure(int argc, char** argv);
