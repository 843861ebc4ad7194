// The mode letter of the first argument, and the one mode it starts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zarvella {

enum class SaverMode { FullScreen, Settings, Preview, ChangePassword };

inline constexpr const char* kApplicationTitle = "Zarvella";

// The character after the first one, upper-cased (a to z only); 0 when the
// argument is shorter than two characters.
char ModeLetter(std::string_view firstArgument);

// C, P and A have their own modes; any other letter, or none, is full-screen.
SaverMode ModeForLetter(char letter);
SaverMode ModeForArgument(std::string_view firstArgument);

// Splits a command line's arguments: blanks separate words, double quotes group
// them and are dropped. The program name must already be removed.
std::vector<std::string> SplitArguments(std::string_view arguments);

}  // namespace zarvella
