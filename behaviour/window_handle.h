// Window handles from the command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarvella {

// Decimal with an optional sign, or hexadecimal after $, x, X, 0x or 0X, after
// leading spaces; the whole text must be the number. 0 for anything else.
uint32_t ParseWindowHandle(std::string_view text);

// What a window given to draw into (a preview's parent, the hack's window)
// turned out to be, besides existing.
struct DrawTarget {
    bool inputOnly = false;    // an InputOnly window: it has no pixels
    bool otherScreen = false;  // on another screen than the display's own
};

// The line said on stderr (then exit code 1) when the window cannot take the
// picture; empty when it can.
std::string UndrawableWindowError(uint32_t window, DrawTarget target);

}  // namespace zarvella
