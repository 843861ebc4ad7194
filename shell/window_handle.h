// Window handles from the command line.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarvella {

// Decimal with an optional sign, or hexadecimal after $, x, X, 0x or 0X, after
// leading spaces; the whole text must be the number. 0 for anything else.
uint32_t ParseWindowHandle(std::string_view text);

}  // namespace zarvella
