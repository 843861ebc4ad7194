#include "behaviour/window_handle.h"

#include <cstdio>

namespace zarvella {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint32_t ParseHex(std::string_view digits) {
    if (digits.empty()) return 0;
    uint64_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return 0;
        value = value * 16 + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull) return 0;
    }
    return static_cast<uint32_t>(value);
}

uint32_t ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return 0;
    const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) return 0;
    }
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(value))
                    : static_cast<uint32_t>(value);
}

}  // namespace

uint32_t ParseWindowHandle(std::string_view text) {
    while (!text.empty() && text[0] == ' ') text.remove_prefix(1);
    if (text.starts_with("0x") || text.starts_with("0X")) return ParseHex(text.substr(2));
    if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        return ParseHex(text.substr(1));
    }
    return ParseDecimal(text);
}

std::string UndrawableWindowError(uint32_t window, DrawTarget target) {
    const char* why = target.inputOnly ? "is an InputOnly window, which cannot be drawn into"
                      : target.otherScreen
                          ? "is on another screen of the display than its default one"
                          : nullptr;
    if (!why) return "";
    char id[16];
    std::snprintf(id, sizeof id, "0x%x", static_cast<unsigned>(window));
    return std::string("zarvella: the X window ") + id + " " + why;
}

}  // namespace zarvella
