// kestravel-world check FILE: finds the mistakes the game would silently play around.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tools/world/commands.h"
#include "world/textfile.h"
#include "world/world.h"

namespace {

std::string plural(size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

struct Finding {
    size_t line;  // 1-based; 0 for the file as a whole
    bool error;
    std::string text;
};

struct Zone {
    int32_t x, y;
    size_t header;   // index of the header line
    bool rowsShort;  // a header or the end came before the twelfth row line
};

class Checker {
public:
    explicit Checker(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    void run() {
        findHeaders();
        for (Zone& zone : zones_) checkBlock(zone);
        checkStrayDirections();
        checkStart();
        checkStars();
        checkNeighbours();
    }

    void add(size_t line, bool error, const std::string& text) { findings_.push_back({line, error, text}); }
    const std::vector<Finding>& findings() const { return findings_; }

private:
    static std::string lower(std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    }

    static std::string trimLeft(const std::string& text) {
        size_t i = text.find_first_not_of(" \t");
        return i == std::string::npos ? "" : text.substr(i);
    }

    static bool isBlankOnly(const std::string& text) {
        return !text.empty() && text.find_first_not_of(" \t") == std::string::npos;
    }

    static std::string zoneName(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }

    // Plain decimal as the game writes it: "-" allowed, no "+", no leading zeros, int32 range.
    static bool plainInt(const std::string& text, int32_t& value, std::string& why) {
        if (text.empty()) {
            why = "a number is missing";
            return false;
        }
        if (text.find_first_of(" \t") != std::string::npos) {
            why = "blanks are not allowed";
            return false;
        }
        if (text[0] == '+') {
            why = "\"+\" is not allowed";
            return false;
        }
        size_t start = text[0] == '-' ? 1 : 0;
        if (start == text.size() || text.find_first_not_of("0123456789", start) != std::string::npos) {
            why = "\"" + text + "\" is not a decimal number";
            return false;
        }
        if (text.size() - start > 1 && text[start] == '0') {
            why = "leading zeros are not allowed";
            return false;
        }
        if (text.size() - start > 10) {
            why = "\"" + text + "\" is out of range";
            return false;
        }
        long long parsed = std::stoll(text);
        if (parsed < INT32_MIN || parsed > INT32_MAX || text == "-0") {
            why = "\"" + text + "\" does not name a zone";
            return false;
        }
        value = static_cast<int32_t>(parsed);
        return true;
    }

    bool looksLikeHeader(size_t i) const {
        std::string t = lower(trimLeft(lines_[i]));
        if (t.compare(0, 4, "zone") != 0) return false;
        std::string rest = trimLeft(t.substr(4));
        return !rest.empty() && rest[0] == ':';
    }

    bool isStartLike(size_t i) const { return lower(trimLeft(lines_[i])).compare(0, 6, "start:") == 0; }

    // The header is exactly what loadZone searches for, or explains why not.
    bool parseHeader(size_t i, int32_t& x, int32_t& y, std::string& why) const {
        std::string t = lower(lines_[i]);
        if (t.compare(0, 5, "zone:") != 0) {
            why = "blanks are not allowed";
            return false;
        }
        std::string body = t.substr(5);
        size_t comma = body.find(',');
        if (comma == std::string::npos) {
            why = "\",\" and a y coordinate are missing";
            return false;
        }
        std::string right = body.substr(comma + 1);
        if (right.find(',') != std::string::npos) {
            why = "trailing characters after the y coordinate";
            return false;
        }
        if (!plainInt(body.substr(0, comma), x, why)) return false;
        if (!plainInt(right, y, why)) {
            if (!right.empty() && right.find_first_not_of("-0123456789") != std::string::npos &&
                right.find_first_of("0123456789") == 0)
                why = "trailing characters after the y coordinate";
            return false;
        }
        return true;
    }

    void findHeaders() {
        std::map<std::pair<int32_t, int32_t>, size_t> first;
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (!looksLikeHeader(i)) continue;
            int32_t x = 0, y = 0;
            std::string why;
            if (!parseHeader(i, x, y, why)) {
                add(i + 1, true, "\"" + lines_[i] + "\" looks like a zone header but names no zone: " + why);
                continue;
            }
            auto [it, fresh] = first.emplace(std::make_pair(x, y), i);
            if (!fresh) {
                add(i + 1, true,
                    "zone " + zoneName(x, y) + " already begins at line " + std::to_string(it->second + 1) +
                        "; this block is never loaded");
                continue;
            }
            if (x < 0 || x > 255 || y < 0 || y > 255)
                add(i + 1, false, "zone " + zoneName(x, y) +
                                      " lies outside 0..255; its stars and checkpoints may share identities with "
                                      "another zone's");
            zones_.push_back({x, y, i, false});
        }
    }

    const std::string& lineAt(size_t i) const {
        static const std::string empty;
        return i < lines_.size() ? lines_[i] : empty;
    }

    char tileChar(const Zone& zone, int column, int row) const {
        const std::string& line = lineAt(zone.header + 12 - row);
        return static_cast<size_t>(column) < line.size() ? line[column] : ' ';
    }

    void checkBlock(Zone& zone) {
        const std::string name = "zone " + zoneName(zone.x, zone.y);
        size_t rowCount = 0;
        for (size_t i = zone.header + 1; i <= zone.header + 12 && i < lines_.size(); ++i) {
            if (looksLikeHeader(i) || isStartLike(i)) break;
            ++rowCount;
        }
        if (rowCount < 12) {
            zone.rowsShort = true;
            add(zone.header + 1, true,
                name + " has " + std::to_string(rowCount) + " row lines before " +
                    (zone.header + rowCount + 1 < lines_.size() ? "line " + std::to_string(zone.header + rowCount + 2)
                                                                : std::string("the end of the file")) +
                    "; it needs 12");
        }
        for (size_t i = zone.header + 1; i <= zone.header + rowCount; ++i) {
            const std::string& line = lines_[i];
            if (line.size() > ZONE_COLUMNS)
                add(i + 1, false, "row line has " + std::to_string(line.size()) +
                                      " characters; only the first 16 count");
            std::string unknown;
            for (size_t c = 0; c < line.size() && c < ZONE_COLUMNS; ++c) {
                char ch = line[c];
                if (std::string(" wW@^$").find(ch) != std::string::npos) continue;
                std::string shown = (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7F)
                                        ? "byte " + std::to_string(static_cast<unsigned char>(ch))
                                        : std::string(1, ch);
                if (unknown.find("\"" + shown + "\"") == std::string::npos)
                    unknown += (unknown.empty() ? "" : ", ") + ("\"" + shown + "\"");
            }
            if (!unknown.empty())
                add(i + 1, false, "unknown tile characters " + unknown + " read as empty tiles");
        }
        if (zone.rowsShort) return;

        bool swallowReported = false;
        for (size_t i = zone.header + 13; i < lines_.size() && !lines_[i].empty(); ++i) {
            owned_.insert(i);
            const std::string& line = lines_[i];
            if (lower(line.substr(0, 4)) == "dir:") {
                checkDirection(zone, i);
            } else if ((looksLikeHeader(i) || isStartLike(i)) && !swallowReported) {
                swallowReported = true;
                add(zone.header + 1, true,
                    name + " has no empty line after it: it runs on into line " + std::to_string(i + 1) +
                        " and takes the direction lines that follow");
            } else if (isBlankOnly(line) && !swallowReported) {
                add(i + 1, false, "a line of blanks does not end a block; only an empty line does");
            }
        }
    }

    void checkDirection(const Zone& zone, size_t i) {
        std::vector<std::string> fields;
        splitString(lines_[i].substr(4), ",", false, fields);
        if (fields.size() != 3) {
            add(i + 1, true, "direction line needs \"dir:column,row,word\"; it is ignored");
            return;
        }
        int32_t column = readNumber(fields[0]);
        int32_t row = readNumber(fields[1]);
        std::string word = fields[2];
        for (char& c : word)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        bool bad = false;
        if (column < 0 || column >= ZONE_COLUMNS || row < 0 || row >= ZONE_ROWS) {
            add(i + 1, true, "direction for column " + std::to_string(column) + ", row " + std::to_string(row) +
                                 " is outside the zone (columns 0..15, rows 0..11); it is ignored");
            bad = true;
        }
        if (word != "UP" && word != "DOWN" && word != "LEFT" && word != "RIGHT") {
            add(i + 1, true, "unknown direction \"" + fields[2] + "\"; use UP, DOWN, LEFT or RIGHT");
            bad = true;
        }
        if (!bad && tileChar(zone, column, row) != '^')
            add(i + 1, false, "direction for column " + std::to_string(column) + ", row " + std::to_string(row) +
                                  ", which holds no spike");
    }

    void checkStrayDirections() {
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (owned_.count(i) || lower(lines_[i].substr(0, 4)) != "dir:") continue;
            bool inRows = false;
            for (const Zone& zone : zones_)
                if (i > zone.header && i <= zone.header + 12) inRows = true;
            if (!inRows) add(i + 1, false, "direction line outside any zone block is ignored");
        }
    }

    const Zone* zoneAt(int32_t x, int32_t y) const {
        for (const Zone& zone : zones_)
            if (zone.x == x && zone.y == y) return &zone;
        return nullptr;
    }

    void checkStart() {
        size_t start = lines_.size();
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i] == "start:") {
                if (start == lines_.size()) start = i;
                else add(i + 1, false, "only the first \"start:\" line counts; this one is ignored");
            } else if (isStartLike(i)) {
                add(i + 1, false, "\"" + lines_[i] + "\" is not a start line; it must read exactly \"start:\"");
            }
        }
        if (start == lines_.size()) {
            add(0, true, "no start block (a line \"start:\" and six numbers)");
            return;
        }
        int32_t values[6];
        for (int k = 0; k < 6; ++k) {
            size_t i = start + 1 + k;
            if (i >= lines_.size()) {
                add(start + 1, true, "start block has " + std::to_string(k) + " of its six numbers");
                for (; k < 6; ++k) values[k] = 0;
                break;
            }
            values[k] = readNumber(lines_[i]);
            std::string why;
            int32_t plain;
            std::string trimmed = trimLeft(lines_[i]);
            if (!plainInt(trimmed, plain, why) || plain != values[k])
                add(i + 1, false, "\"" + lines_[i] + "\" is not a plain number; it reads as " +
                                      std::to_string(values[k]));
        }
        const Zone* startZone = zoneAt(values[0], values[1]);
        if (!startZone)
            add(start + 1, true, "start zone " + zoneName(values[0], values[1]) + " is not in the file");
        if (!zoneAt(values[2], values[3]))
            add(start + 1, false, "checkpoint zone " + zoneName(values[2], values[3]) + " is not in the file");
        int32_t column = values[4], row = values[5];
        if (column < 0 || column >= ZONE_COLUMNS || row < 0 || row >= ZONE_ROWS) {
            add(start + 1, true, "start tile column " + std::to_string(column) + ", row " + std::to_string(row) +
                                     " is outside the zone");
        } else if (startZone) {
            char c = tileChar(*startZone, column, row);
            if (c == 'w' || c == 'W' || c == '^')
                add(start + 1, false, std::string("the start tile holds ") + (c == '^' ? "a spike" : "a wall"));
        }
    }

    void checkStars() {
        int stars = 0;
        for (const Zone& zone : zones_)
            for (int row = 0; row < ZONE_ROWS; ++row)
                for (int column = 0; column < ZONE_COLUMNS; ++column)
                    if (tileChar(zone, column, row) == '$') ++stars;
        if (stars > WORLD_STAR_SLOTS)
            add(0, true, "the world holds " + plural(stars, "star") + "; the game takes exactly 10");
        else if (stars < WORLD_STAR_SLOTS)
            add(0, false, "the world holds " + plural(stars, "star") + "; the game is complete only after 10");
    }

    void checkNeighbours() {
        if (zones_.size() < 2) return;
        for (const Zone& zone : zones_) {
            auto next = [](int32_t v, int32_t d) {
                return static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(d));
            };
            if (!zoneAt(next(zone.x, 1), zone.y) && !zoneAt(next(zone.x, -1), zone.y) &&
                !zoneAt(zone.x, next(zone.y, 1)) && !zoneAt(zone.x, next(zone.y, -1)))
                add(zone.header + 1, false,
                    "no other zone borders zone " + zoneName(zone.x, zone.y) + "; it cannot be walked into");
        }
    }

    std::vector<std::string> lines_;
    std::vector<Zone> zones_;
    std::set<size_t> owned_;  // lines read as some block's direction section
    std::vector<Finding> findings_;
};

}  // namespace

int commandCheck(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: kestravel-world check FILE\n");
        return 2;
    }
    const std::string path = argv[0];
    std::string bytes;
    bool readable = false;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
        readable = !std::ferror(file);
        std::fclose(file);
    }
    std::string text = readable ? decodeText(bytes) : "";
    std::vector<std::string> lines;
    splitString(text, "", false, lines);
    Checker checker(lines);
    bool knownMark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 || bytes.compare(0, 2, "\xFF\xFE") == 0;
    if (!readable)
        checker.add(0, true, "cannot read " + path);
    else if (text.empty() && !bytes.empty() && !knownMark)
        checker.add(1, true, "unknown byte-order mark: the game reads this file as empty");
    else
        checker.run();

    std::vector<Finding> findings = checker.findings();
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    size_t errors = 0, warnings = 0;
    for (const Finding& f : findings) {
        (f.error ? errors : warnings) += 1;
        std::printf("%zu: %s: %s\n", f.line, f.error ? "error" : "warning", f.text.c_str());
    }
    std::printf("%s: %s, %s\n", path.c_str(), plural(errors, "error").c_str(), plural(warnings, "warning").c_str());
    return errors ? 1 : 0;
}
