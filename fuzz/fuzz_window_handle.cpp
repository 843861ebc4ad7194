// ParseWindowHandle against an independent reading of the same rules built on
// std::from_chars, plus round trips of every 32-bit value through the forms
// the command line may carry.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "behaviour/window_handle.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text, uint32_t got, uint32_t want) {
    std::fprintf(stderr, "ParseWindowHandle: %s: text \"%.*s\" gave %u, expected %u\n", what,
                 static_cast<int>(text.size()), text.data(), got, want);
    std::abort();
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

uint32_t Reference(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    std::string_view hex;
    bool isHex = false;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = text.substr(2);
        isHex = true;
    } else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        hex = text.substr(1);
        isHex = true;
    }
    if (isHex) {
        // from_chars would take a sign or stop early; the form wants digits only.
        if (hex.empty()) return 0;
        for (char c : hex)
            if (!IsHexDigit(c)) return 0;
        uint32_t value = 0;
        const auto r = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (r.ec != std::errc() || r.ptr != hex.data() + hex.size()) return 0;
        return value;
    }
    std::string_view digits = text;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    if (digits.empty()) return 0;
    for (char c : digits)
        if (!IsDigit(c)) return 0;
    std::string_view number = text.front() == '+' ? text.substr(1) : text;
    int32_t value = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value, 10);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size()) return 0;
    return static_cast<uint32_t>(value);
}

void Check(std::string_view text, uint32_t want, const char* what) {
    const uint32_t got = zarvella::ParseWindowHandle(text);
    if (got != want) Fail(what, text, got, want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text, Reference(text), "differs from the reference");

    // Every 32-bit value survives each form the system may pass, with any
    // number of leading blanks; a trailing blank always gives 0.
    if (size >= 4) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | data[i];
        const std::string blanks(data[0] % 4, ' ');
        char buf[40];
        std::snprintf(buf, sizeof buf, "%d", static_cast<int32_t>(v));
        Check(blanks + buf, v, "decimal round trip");
        Check(blanks + buf + " ", 0, "trailing blank");
        std::snprintf(buf, sizeof buf, "$%X", v);
        Check(blanks + buf, v, "$ round trip");
        std::snprintf(buf, sizeof buf, "0x%08x", v);
        Check(blanks + buf, v, "0x round trip");
        std::snprintf(buf, sizeof buf, "X%x", v);
        Check(blanks + buf, v, "X round trip");
        // One more hex digit than 32 bits hold is out of range, unless it is a leading zero.
        std::snprintf(buf, sizeof buf, "$1%08X", v);
        Check(buf, 0, "hex beyond 32 bits");
        if (static_cast<int32_t>(v) >= 0) {
            std::snprintf(buf, sizeof buf, "+%u", v);
            Check(buf, v, "plus sign");
        }
    }
    return 0;
}
