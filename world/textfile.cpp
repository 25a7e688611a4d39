#include "world/textfile.h"

#include <cstdio>

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

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        size_t hit = text.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(text, pos, std::string::npos);
    text.swap(out);
}

}  // namespace

std::string decodeText(const std::string& bytes) {
    if (startsWith(bytes, "\xEF\xBB\xBF", 3)) return bytes.substr(3);
    // Checked before FF FE: 00 00 FE FF is a big-endian UTF-32 mark we do not read.
    if (startsWith(bytes, "\x00\x00\xFE\xFF", 4)) return "";
    if (startsWith(bytes, "\xFE\xFF", 2)) return "";
    if (startsWith(bytes, "\xFF\xFE", 2)) return utf16LeToUtf8(bytes, 2);
    return bytes;
}

std::string readTextFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "";
    std::string bytes;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    // A folder opens on some systems but reads as an error: treat as unreadable.
    if (failed) return "";
    return decodeText(bytes);
}

int32_t splitString(const std::string& text, const std::string& separator, bool skipEmpty,
                    std::vector<std::string>& target) {
    static const std::string lineFeed = "\n";
    std::string work;
    const std::string* source = &text;
    const std::string& sep = separator.empty() ? lineFeed : separator;
    if (separator.empty()) {
        work = text;
        replaceAll(work, "\r\n", "\n");
        for (char& c : work)
            if (c == '\r') c = '\n';
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

int32_t readNumber(const std::string& text) {
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
    for (; i < text.size(); ++i) {
        char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
        else break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}
