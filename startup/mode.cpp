#include "startup/mode.h"

namespace zarvella {

char ModeLetter(std::string_view firstArgument) {
    if (firstArgument.size() < 2) return 0;
    const char c = firstArgument[1];  // the leading '/', '-' or whatever is dropped
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

SaverMode ModeForLetter(char letter) {
    switch (letter) {
        case 'C':
            return SaverMode::Settings;
        case 'P':
            return SaverMode::Preview;
        case 'A':
            return SaverMode::ChangePassword;
        default:
            return SaverMode::FullScreen;
    }
}

SaverMode ModeForArgument(std::string_view firstArgument) {
    return ModeForLetter(ModeLetter(firstArgument));
}

std::vector<std::string> SplitArguments(std::string_view arguments) {
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = arguments.size();
    while (true) {
        while (i < n && static_cast<unsigned char>(arguments[i]) <= ' ') ++i;
        if (i >= n) break;
        std::string word;
        bool quoted = false;
        while (i < n && (quoted || static_cast<unsigned char>(arguments[i]) > ' ')) {
            if (arguments[i] == '"') {
                quoted = !quoted;
            } else {
                word += arguments[i];
            }
            ++i;
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace zarvella
