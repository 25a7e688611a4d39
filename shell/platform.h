#pragma once
// Services the game needs from the operating system, kept small so a Windows
// branch stays cheap: message boxes, the clock, folders and existence tests.
#include <cstdint>
#include <cstdio>
#include <string>

enum MessageIcon { MESSAGE_ERROR, MESSAGE_WARNING, MESSAGE_INFO };

// Modal box with one OK button; falls back to standard error without a display.
// Takes plain strings so that the out-of-memory message costs no allocation of ours.
void showMessageBox(const char* title, const char* text, MessageIcon icon);

// Monotonic milliseconds counted from the first reading.
int64_t clockMs();
// Tests replace the clock; nullptr restores the real one.
void setClockSource(int64_t (*source)());
void sleepMs(int ms);
// Windows sleeps in scheduler ticks of about 15 ms unless asked for 1 ms; the frame loop holds
// that request while it runs. Elsewhere both do nothing.
void raiseTimerResolution();
void restoreTimerResolution();

bool pathExists(const std::string& path);      // file or folder
// fopen for a UTF-8 path, also where the system's narrow calls read another code page.
std::FILE* openFile(const std::string& path, const char* mode);
bool isRegularFile(const std::string& path);
int64_t fileSize(const std::string& path);  // bytes of a regular file, -1 for anything else
// When a file was last written, in the file system's own ticks; -1 when that cannot be read.
int64_t fileWriteTime(const std::string& path);
// A regular file of known size, at most maxBytes: what a bounded reader may open.
bool isFileWithin(const std::string& path, int64_t maxBytes);
bool isDirectory(const std::string& path);
std::string currentDirectory();                // without trailing separator
// The path as seen from the current directory, so that it stays right once the directory changes.
std::string absolutePath(const std::string& path);
bool changeDirectory(const std::string& path);
std::string executableFolder();                // folder of the running program, no trailing separator
// The user's pictures folder (XDG on Linux) when it exists, else "".
std::string picturesFolder();
char pathSeparator();

#ifdef _WIN32
// The game's strings are UTF-8; Windows' wide calls take UTF-16. Invalid input gives "".
std::wstring wideText(const std::string& utf8);
std::string utf8Text(const std::wstring& wide);
#endif
