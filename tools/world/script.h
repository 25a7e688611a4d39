#pragma once
// Key scripts read from the files the commands are given.
#include "gameplay/replay.h"

// False, said on stderr as `who` with the file and line, when the file is no key script.
bool readScriptFile(const char* who, const char* path, KeyScript& script);
