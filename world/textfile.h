#pragma once
// Reading text files the lenient way the world format wants.
#include <cstdint>
#include <string>
#include <vector>

// Whole file as UTF-8; "" when unreadable or with an unsupported byte-order mark.
std::string readTextFile(const std::string& path);
// Same decoding on bytes already in memory (fuzzing, tools).
std::string decodeText(const std::string& bytes);
// Empty separator splits at CR LF, LF and CR. Returns the number of lines made.
int32_t splitString(const std::string& text, const std::string& separator, bool skipEmpty,
                    std::vector<std::string>& target);
// Blanks and tabs skipped, sign, "$" hex, "%" binary, digits up to the first other character.
int32_t readNumber(const std::string& text);
