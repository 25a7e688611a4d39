#pragma once
// Reading text files the lenient way the world format wants.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Whole file as UTF-8; "" when unreadable or with an unsupported byte-order mark.
std::string readTextFile(const std::string& path);
// The same, but false (and "") when the file cannot be read or holds more than maxBytes.
bool readTextFile(const std::string& path, uint64_t maxBytes, std::string& text);
// Same decoding on bytes already in memory (fuzzing, tools).
std::string decodeText(std::string bytes);
// CR LF and lone CR become LF, in place.
void unifyLineBreaks(std::string& text);
// Empty separator splits at CR LF, LF and CR. Returns the number of lines made.
int32_t splitString(const std::string& text, const std::string& separator, bool skipEmpty,
                    std::vector<std::string>& target);
// Blanks and tabs skipped, sign, "$" hex, "%" binary, digits up to the first other character.
// Wraps at 32 bits; overflowed (if given) tells whether the digits meant more than an int32 holds.
int32_t readNumber(std::string_view text, bool* overflowed = nullptr);
// The character starting at byte at of UTF-8 text, and at moved past it. A byte that starts
// no well-formed sequence is one character of its own (U+FFFD).
uint32_t nextCharacter(std::string_view text, size_t& at);
size_t countCharacters(std::string_view text);
