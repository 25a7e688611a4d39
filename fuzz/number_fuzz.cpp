// The lenient number reader against a plain model of the same rules: blanks and tabs,
// one sign, "$" hex or "%" binary, digits up to the first other character, wrapping at 32 bits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "world/textfile.h"

namespace {

int64_t model(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    int sign = 1;
    if (text[i] == '+' || text[i] == '-') sign = text[i++] == '-' ? -1 : 1;
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == '%')) base = text[i++] == '$' ? 16 : 2;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const std::string digits = "0123456789abcdef";
        size_t d = digits.find(char(text[i] >= 'A' && text[i] <= 'F' ? text[i] + 32 : text[i]));
        if (d == std::string::npos || int(d) >= base) break;
        value = (value * base + d) & 0xFFFFFFFFu;
    }
    uint32_t low = sign < 0 ? uint32_t(0u - uint32_t(value)) : uint32_t(value);
    return int32_t(low);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    if (readNumber(text) != model(text)) __builtin_trap();
    // A prefix never reads past its own end.
    if (size > 0 && readNumber(text.substr(0, size / 2)) != model(text.substr(0, size / 2))) __builtin_trap();
    return 0;
}
