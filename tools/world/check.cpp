// kestravel-world check FILE: finds the mistakes the game would silently play around.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/platform.h"
#include "tools/world/check.h"
#include "tools/world/commands.h"
#include "world/textfile.h"
#include "world/world.h"

namespace {

std::string plural(size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

class Checker {
public:
    void run() {
        role_.assign(lines_.size(), LINE_OTHER);
        findHeaders();
        for (const WorldZone& zone : world.zones) checkBlock(zone);
        checkStrayDirections();
        checkStart();
        checkStars();
        checkNeighbours();
    }

    void add(size_t line, bool error, const std::string& text) { findings_.push_back({line, error, text}); }
    std::vector<Finding>& findings() { return findings_; }

private:
    enum : uint8_t { LINE_OTHER, LINE_ROW, LINE_DIRECTIONS };

    static std::string lower(std::string_view text) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return out;
    }

    static std::string_view trimLeft(std::string_view text) {
        size_t i = text.find_first_not_of(" \t");
        return i == std::string_view::npos ? std::string_view() : text.substr(i);
    }

    static bool startsLowered(std::string_view text, std::string_view prefix) {
        return text.size() >= prefix.size() && lower(text.substr(0, prefix.size())) == prefix;
    }

    static bool isBlankOnly(std::string_view text) {
        return !text.empty() && text.find_first_not_of(" \t") == std::string_view::npos;
    }

    static std::string zoneName(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }

    static std::string quotedCharacter(uint32_t c) {
        char shown[16];
        if (c >= 0x20 && c < 0x7F) std::snprintf(shown, sizeof shown, "\"%c\"", static_cast<char>(c));
        else std::snprintf(shown, sizeof shown, "\"U+%04X\"", static_cast<unsigned>(c));
        return shown;
    }

    // Whether a number is plain decimal as the game reads a header's, and if not, why.
    static bool plainInt(std::string_view text, int32_t& value, std::string& why) {
        if (readPlainNumber(text, value)) return true;
        // The game's rule said no; this only tells why.
        if (text.empty()) {
            why = "a number is missing";
            return false;
        }
        if (text.find_first_of(" \t") != std::string_view::npos) {
            why = "blanks are not allowed";
            return false;
        }
        if (text[0] == '+') {
            why = "\"+\" is not allowed";
            return false;
        }
        size_t start = text[0] == '-' ? 1 : 0;
        if (start == text.size() || text.find_first_not_of("0123456789", start) != std::string_view::npos) {
            why = "\"" + std::string(text) + "\" is not a decimal number";
            return false;
        }
        if (text.size() - start > 1 && text[start] == '0') {
            why = "leading zeros are not allowed";
            return false;
        }
        if (text.size() - start > 10) {
            why = "\"" + std::string(text) + "\" is out of range";
            return false;
        }
        why = "\"" + std::string(text) + "\" does not name a zone";
        return false;
    }

    static bool looksLikeHeader(std::string_view line) {
        std::string_view t = trimLeft(line);
        if (!startsLowered(t, "zone")) return false;
        std::string_view rest = trimLeft(t.substr(4));
        return !rest.empty() && rest[0] == ':';
    }

    static bool isStartLike(std::string_view line) { return startsLowered(trimLeft(line), "start:"); }

    // What keeps a header-like line from naming a zone; the game's own reading decides that it does not.
    static std::string whyNoZone(std::string_view line) {
        std::string t = lower(line);
        if (t.compare(0, 5, "zone:") != 0) return "blanks are not allowed";
        std::string body = t.substr(5);
        size_t comma = body.find(',');
        if (comma == std::string::npos) return "\",\" and a y coordinate are missing";
        std::string right = body.substr(comma + 1);
        if (right.find(',') != std::string::npos) return "trailing characters after the y coordinate";
        std::string why;
        int32_t value;
        if (!plainInt(body.substr(0, comma), value, why)) return why;
        if (!plainInt(right, value, why)) {
            if (!right.empty() && right.find_first_not_of("-0123456789") != std::string::npos &&
                right.find_first_of("0123456789") == 0)
                why = "trailing characters after the y coordinate";
            return why;
        }
        return "it is not the way the game writes a zone";
    }

    void findHeaders() {
        for (size_t i = 0; i < lines_.size(); ++i) {
            std::string_view line = lines_[i];
            if (!looksLikeHeader(line)) continue;
            int32_t x = 0, y = 0;
            if (!parseZoneHeader(line, x, y)) {
                add(i + 1, true, "\"" + std::string(line) + "\" looks like a zone header but names no zone: " +
                                     whyNoZone(line));
                continue;
            }
            const WorldZone* first = findZone(x, y);
            if (first && first->header != i) {
                add(i + 1, true,
                    "zone " + zoneName(x, y) + " already begins at line " + std::to_string(first->header + 1) +
                        "; this block is never loaded");
                continue;
            }
            if (x < 0 || x > 255 || y < 0 || y > 255)
                add(i + 1, false, "zone " + zoneName(x, y) +
                                      " lies outside 0..255; its stars and checkpoints may share identities with "
                                      "another zone's");
        }
    }

    static uint32_t tileChar(const WorldZone& zone, int32_t column, int32_t row) {
        uint32_t characters[ZONE_COLUMNS];
        readRowLine(zoneRowLine(zone, row), characters);
        return characters[column];
    }

    void checkBlock(const WorldZone& zone) {
        const std::string name = "zone " + zoneName(zone.x, zone.y);
        const size_t header = zone.header;
        for (size_t i = header + 1; i <= header + ZONE_ROWS && i < lines_.size(); ++i) role_[i] = LINE_ROW;
        size_t rowCount = 0;
        for (size_t i = header + 1; i <= header + ZONE_ROWS && i < lines_.size(); ++i) {
            if (looksLikeHeader(lines_[i]) || isStartLike(lines_[i])) break;
            ++rowCount;
        }
        if (rowCount < ZONE_ROWS) {
            add(header + 1, true,
                name + " has " + std::to_string(rowCount) + " row lines before " +
                    (header + rowCount + 1 < lines_.size() ? "line " + std::to_string(header + rowCount + 2)
                                                           : std::string("the end of the file")) +
                    "; it needs 12");
        }
        for (size_t i = header + 1; i <= header + rowCount; ++i) {
            uint32_t characters[ZONE_COLUMNS];
            readRowLine(lines_[i], characters);
            size_t count = countCharacters(lines_[i]);
            if (count > ZONE_COLUMNS)
                add(i + 1, false, "row line has " + std::to_string(count) + " characters; only the first 16 count");
            std::string unknown;
            for (size_t c = 0; c < count && c < ZONE_COLUMNS; ++c) {
                uint32_t ch = characters[c];
                if (ch == ' ' || tileOfCharacter(ch) != TILE_EMPTY) continue;
                std::string shown = quotedCharacter(ch);
                if (unknown.find(shown) == std::string::npos) unknown += (unknown.empty() ? "" : ", ") + shown;
            }
            if (!unknown.empty())
                add(i + 1, false, "unknown tile characters " + unknown + " read as empty tiles");
        }
        if (rowCount < ZONE_ROWS) return;

        bool swallowReported = false;
        size_t end = directionSectionEnd(zone);
        for (size_t i = header + ZONE_ROWS + 1; i < end; ++i) {
            role_[i] = LINE_DIRECTIONS;
            std::string_view line = lines_[i];
            if (isDirectionLine(line)) {
                checkDirection(zone, i);
            } else if (swallowReported) {
                continue;
            } else if (looksLikeHeader(line) || isStartLike(line)) {
                swallowReported = true;
                add(header + 1, true,
                    name + " has no empty line after it: it runs on into line " + std::to_string(i + 1) +
                        " and takes the direction lines that follow");
            } else if (isBlankOnly(line)) {
                add(i + 1, false, "a line of blanks does not end a block; only an empty line does");
            } else {
                add(i + 1, true, name + ": only 12 row lines are read; this line is skipped");
            }
        }
    }

    void checkDirection(const WorldZone& zone, size_t i) {
        DirectionLine read = readDirectionLine(lines_[i]);
        if (read.fields < 3) {
            add(i + 1, true, "direction line needs \"dir:column,row,word\"; it is ignored");
            return;
        }
        if (read.fields > 3) add(i + 1, false, "only the first three fields of a direction line are read");
        if (read.overflowed)
            add(i + 1, false, "a number too large for 32 bits wraps around: this line reads as column " +
                                  std::to_string(read.column) + ", row " + std::to_string(read.row));
        bool bad = false;
        if (read.column < 0 || read.column >= ZONE_COLUMNS || read.row < 0 || read.row >= ZONE_ROWS) {
            add(i + 1, true, "direction for column " + std::to_string(read.column) + ", row " +
                                 std::to_string(read.row) +
                                 " is outside the zone (columns 0..15, rows 0..11); it is ignored");
            bad = true;
        }
        if (read.direction == DIR_NONE) {
            add(i + 1, true, "unknown direction \"" + std::string(read.word) + "\"; use UP, DOWN, LEFT or RIGHT");
            bad = true;
        }
        if (!bad && tileChar(zone, read.column, read.row) != '^')
            add(i + 1, false, "direction for column " + std::to_string(read.column) + ", row " +
                                  std::to_string(read.row) + ", which holds no spike");
    }

    void checkStrayDirections() {
        for (size_t i = 0; i < lines_.size(); ++i)
            if (role_[i] == LINE_OTHER && isDirectionLine(lines_[i]))
                add(i + 1, false, "direction line outside any zone block is ignored");
    }

    void checkStart() {
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (static_cast<int64_t>(i) == world.startLine) continue;
            if (lines_[i] == "start:")
                add(i + 1, false, "only the first \"start:\" line counts; this one is ignored");
            else if (isStartLike(lines_[i]))
                add(i + 1, false,
                    "\"" + std::string(lines_[i]) + "\" is not a start line; it must read exactly \"start:\"");
        }
        if (world.startLine < 0) {
            add(0, true, "no start block (a line \"start:\" and six numbers)");
            return;
        }
        size_t start = static_cast<size_t>(world.startLine);
        int32_t values[6];
        for (int k = 0; k < 6; ++k) {
            size_t i = start + 1 + k;
            if (i >= lines_.size()) {
                add(start + 1, true, "start block has " + std::to_string(k) + " of its six numbers");
                for (; k < 6; ++k) values[k] = 0;
                break;
            }
            bool overflowed;
            values[k] = readNumber(lines_[i], &overflowed);
            std::string why;
            int32_t plain;
            if (overflowed)
                add(i + 1, false, "\"" + std::string(lines_[i]) + "\" is too large for 32 bits; it reads as " +
                                      std::to_string(values[k]));
            else if (!plainInt(trimLeft(lines_[i]), plain, why) || plain != values[k])
                add(i + 1, false, "\"" + std::string(lines_[i]) + "\" is not a plain number; it reads as " +
                                      std::to_string(values[k]));
        }
        const WorldZone* startZone = findZone(values[0], values[1]);
        if (!startZone)
            add(start + 1, true, "start zone " + zoneName(values[0], values[1]) + " is not in the file");
        if (!findZone(values[2], values[3]))
            add(start + 1, false, "checkpoint zone " + zoneName(values[2], values[3]) + " is not in the file");
        int32_t column = values[4], row = values[5];
        if (column < 0 || column >= ZONE_COLUMNS || row < 0 || row >= ZONE_ROWS) {
            add(start + 1, true, "start tile column " + std::to_string(column) + ", row " + std::to_string(row) +
                                     " is outside the zone");
        } else if (startZone) {
            int32_t tile = tileOfCharacter(tileChar(*startZone, column, row));
            if (tile == TILE_WALL || tile == TILE_SPIKE)
                add(start + 1, false,
                    std::string("the start tile holds ") + (tile == TILE_SPIKE ? "a spike" : "a wall"));
        }
    }

    void checkStars() {
        size_t stars = 0;
        for (const WorldZone& zone : world.zones)
            for (int row = 0; row < ZONE_ROWS; ++row) {
                uint32_t characters[ZONE_COLUMNS];
                readRowLine(zoneRowLine(zone, row), characters);
                for (uint32_t c : characters) stars += tileOfCharacter(c) == TILE_STAR;
            }
        if (stars > WORLD_STAR_SLOTS)
            add(0, true, "the world holds " + plural(stars, "star") + "; the game takes exactly 10");
        else if (stars < WORLD_STAR_SLOTS)
            add(0, false, "the world holds " + plural(stars, "star") + "; the game is complete only after 10");
    }

    void checkNeighbours() {
        if (world.zones.size() < 2) return;
        auto next = [](int32_t v, int32_t d) {
            return static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(d));
        };
        for (const WorldZone& zone : world.zones) {
            if (!findZone(next(zone.x, 1), zone.y) && !findZone(next(zone.x, -1), zone.y) &&
                !findZone(zone.x, next(zone.y, 1)) && !findZone(zone.x, next(zone.y, -1)))
                add(zone.header + 1, false,
                    "no other zone borders zone " + zoneName(zone.x, zone.y) + "; it cannot be walked into");
        }
    }

    const WorldLines& lines_ = world.lines;
    std::vector<uint8_t> role_;  // per line: a row line, in a direction section, or neither
    std::vector<Finding> findings_;
};

// The game reads a file with a byte-order mark it does not know as empty.
bool hasUnknownMark(const std::string& path) {
    std::string head(4, '\0');
    FILE* file = openFile(path, "rb");
    if (!file) return false;
    head.resize(std::fread(head.data(), 1, head.size(), file));
    std::fclose(file);
    bool known = head.compare(0, 3, "\xEF\xBB\xBF") == 0 || head.compare(0, 2, "\xFF\xFE") == 0;
    return !head.empty() && !known;
}

}  // namespace

std::vector<Finding> checkWorldFile(const std::string& path) {
    Checker checker;
    std::string problem, text;
    if (!isWorldFileSound(path, problem))
        checker.add(0, true, "cannot read " + path + ": " + problem);
    else if (!readTextFile(path, WORLD_MAX_BYTES, text))
        checker.add(0, true, "cannot read " + path);
    else if (loadWorldText(std::move(text)) == 0 && hasUnknownMark(path))
        checker.add(1, true, "unknown byte-order mark: the game reads this file as empty");
    else
        checker.run();
    std::vector<Finding> findings = std::move(checker.findings());
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return findings;
}

std::string findingLine(const Finding& finding) {
    return std::to_string(finding.line) + (finding.error ? ": error: " : ": warning: ") + finding.text;
}

int commandCheck(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: kestravel-world check FILE\n");
        return 2;
    }
    const std::string path = argv[0];
    // The world reader alone: the file and its index, without a game around them.
    resetWorldState();
    const std::vector<Finding> findings = checkWorldFile(path);
    size_t errors = 0, warnings = 0;
    for (const Finding& f : findings) {
        (f.error ? errors : warnings) += 1;
        std::printf("%s\n", findingLine(f).c_str());
    }
    std::printf("%s: %s, %s\n", path.c_str(), plural(errors, "error").c_str(), plural(warnings, "warning").c_str());
    return errors ? 1 : 0;
}
