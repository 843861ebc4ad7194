// The program's arguments as Windows passes them: one string, program name first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zarvella::win32 {

// What follows the program name: a quoted name ends at its closing quote, an
// unquoted one at the first blank.
std::string_view SkipProgramName(std::string_view commandLine);

// The words of GetCommandLineA, program name skipped.
std::vector<std::string> ProgramArguments();

}  // namespace zarvella::win32
