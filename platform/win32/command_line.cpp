#include "platform/win32/command_line.h"

#include <vector>

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

Arguments ProgramArguments() {
    const std::vector<std::string> words = SplitArguments(SkipProgramName(GetCommandLineA()));
    Arguments arguments;
    if (words.size() > 0) arguments.first = words[0];
    if (words.size() > 1) arguments.second = words[1];
    return arguments;
}

}  // namespace zarvella::win32
