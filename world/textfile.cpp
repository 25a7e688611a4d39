#include "world/textfile.h"

#include <cstdio>

#include "shell/platform.h"

namespace {

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Lone surrogates become U+FFFD; an odd last byte is dropped.
std::string utf16LeToUtf8(const std::string& bytes, size_t start) {
    std::string out;
    out.reserve(bytes.size() - start);
    size_t i = start;
    auto unit = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
               (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8);
    };
    while (i + 1 < bytes.size()) {
        uint32_t code = unit(i);
        i += 2;
        if (code >= 0xD800 && code < 0xDC00) {
            if (i + 1 < bytes.size()) {
                uint32_t low = unit(i);
                if (low >= 0xDC00 && low < 0xE000) {
                    i += 2;
                    appendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                    continue;
                }
            }
            code = 0xFFFD;
        } else if (code >= 0xDC00 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

bool startsWith(const std::string& bytes, const char* mark, size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

}  // namespace

std::string decodeText(std::string bytes) {
    if (startsWith(bytes, "\xEF\xBB\xBF", 3)) {
        bytes.erase(0, 3);
        return bytes;
    }
    // Checked before FF FE: 00 00 FE FF is a big-endian UTF-32 mark we do not read.
    if (startsWith(bytes, "\x00\x00\xFE\xFF", 4)) return "";
    if (startsWith(bytes, "\xFE\xFF", 2)) return "";
    if (startsWith(bytes, "\xFF\xFE", 2)) return utf16LeToUtf8(bytes, 2);
    return bytes;
}

bool readTextFile(const std::string& path, uint64_t maxBytes, std::string& text) {
    text.clear();
    FILE* file = openFile(path, "rb");
    if (!file) return false;
    std::string bytes;
    // Room for the whole file up front: a world lives as long as the game, its slack too.
    const int64_t expected = fileSize(path);
    if (expected >= 0 && static_cast<uint64_t>(expected) <= maxBytes) bytes.reserve(static_cast<size_t>(expected) + 1);
    char buffer[65536];
    size_t got;
    bool tooLarge = false;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (got > maxBytes - bytes.size()) {
            tooLarge = true;
            break;
        }
        bytes.append(buffer, got);
    }
    bool failed = tooLarge || std::ferror(file) != 0;
    std::fclose(file);
    // A folder opens on some systems but reads as an error: treat as unreadable.
    if (failed) return false;
    text = decodeText(std::move(bytes));
    return true;
}

std::string readTextFile(const std::string& path) {
    std::string text;
    readTextFile(path, UINT64_MAX, text);
    return text;
}

void unifyLineBreaks(std::string& text) {
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            c = '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
        text[out++] = c;
    }
    text.resize(out);
}

int32_t splitString(const std::string& text, const std::string& separator, bool skipEmpty,
                    std::vector<std::string>& target) {
    static const std::string lineFeed = "\n";
    std::string work;
    const std::string* source = &text;
    const std::string& sep = separator.empty() ? lineFeed : separator;
    if (separator.empty()) {
        work = text;
        unifyLineBreaks(work);
        source = &work;
    }
    std::vector<std::string> lines;
    size_t pos = 0;
    for (;;) {
        size_t hit = source->find(sep, pos);
        if (hit == std::string::npos) break;
        if (!(skipEmpty && hit == pos)) lines.emplace_back(*source, pos, hit - pos);
        pos = hit + sep.size();
    }
    if (pos < source->size()) lines.emplace_back(*source, pos, std::string::npos);
    target.swap(lines);
    return static_cast<int32_t>(target.size());
}

int32_t readNumber(std::string_view text, bool* overflowed) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    // Unsigned so that a long digit string wraps instead of overflowing.
    uint32_t value = 0;
    uint64_t exact = 0;  // stops growing once past any int32
    for (; i < text.size(); ++i) {
        char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
        else break;
        if (digit >= base) break;
        value = value * base + digit;
        if (exact <= 0x80000000u) exact = exact * base + digit;
    }
    if (overflowed) *overflowed = exact > (negative ? 0x80000000u : 0x7FFFFFFFu);
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

uint32_t nextCharacter(std::string_view text, size_t& at) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    uint32_t lead = byte(at);
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                 : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (length == 1) {
        ++at;
        return lead;
    }
    bool whole = length > 0 && at + length <= text.size();
    for (size_t k = 1; whole && k < length; ++k) whole = (byte(at + k) & 0xC0) == 0x80;
    if (!whole) {
        ++at;
        return 0xFFFD;
    }
    uint32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) code = (code << 6) | (byte(at + k) & 0x3F);
    at += length;
    return code;
}

size_t countCharacters(std::string_view text) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); ++count) nextCharacter(text, at);
    return count;
}
