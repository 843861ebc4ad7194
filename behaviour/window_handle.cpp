#include "behaviour/window_handle.h"

#include <charconv>
#include <cstdio>

namespace zarvella {

namespace {

// The whole text as an unsigned number (no sign, no prefix); 0 for anything
// else, and for a number beyond 32 bits.
uint32_t ParseDigits(std::string_view digits, int base) {
    uint32_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    return error == std::errc() && stop == end ? value : 0;
}

// A sign, which from_chars does not take for an unsigned number, then the
// digits of a 32-bit int.
uint32_t ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const uint32_t value = ParseDigits(text, 10);
    if (value > (negative ? 2147483648u : 2147483647u)) return 0;
    return negative ? 0u - value : value;
}

}  // namespace

uint32_t ParseWindowHandle(std::string_view text) {
    while (!text.empty() && text[0] == ' ') text.remove_prefix(1);
    if (text.starts_with("0x") || text.starts_with("0X")) return ParseDigits(text.substr(2), 16);
    if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        return ParseDigits(text.substr(1), 16);
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
