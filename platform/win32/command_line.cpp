#include "platform/win32/command_line.h"

#include "platform/win32/win32.h"
#include "startup/mode.h"

namespace zarvella::win32 {

std::string_view SkipProgramName(std::string_view commandLine) {
    size_t i = 0;
    const size_t n = commandLine.size();
    if (n > 0 && commandLine[0] == '"') {
        i = commandLine.find('"', 1);
        i = (i == std::string_view::npos) ? n : i + 1;
    } else {
        while (i < n && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    }
    return commandLine.substr(i);
}

std::vector<std::string> ProgramArguments() {
    return SplitArguments(SkipProgramName(GetCommandLineA()));
}

}  // namespace zarvella::win32
