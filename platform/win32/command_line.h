// The program's arguments as Windows passes them: one string, program name first.
#pragma once

#include <string>
#include <string_view>

namespace zarvella::win32 {

struct Arguments {
    std::string first;   // the mode word
    std::string second;  // the window handle of the preview and change-password modes
};

// What follows the program name: a quoted name ends at its closing quote, an
// unquoted one at the first blank.
std::string_view SkipProgramName(std::string_view commandLine);

// The first two words of GetCommandLineA, program name skipped.
Arguments ProgramArguments();

}  // namespace zarvella::win32
