#include "startup/options.h"

#include <charconv>

#include "behaviour/window_handle.h"

namespace zarvella {

namespace {

enum class OptionId {
    Root,
    Window,
    WindowId,
    Delay,
    Fps,
    Alone,
    Install,
    Version,
    Help,
    Setting,
    SettingOff
};

// The options every hack takes; the settings' own come from the table.
struct GeneralOption {
    const char* name;
    OptionId id;
    const char* argument;
    const char* text;
};
constexpr GeneralOption kGeneralOptions[] = {
    {"root", OptionId::Root, "",
     "on X11, draw on the desktop's background, below every other window, or into "
     "XSCREENSAVER_WINDOW when it is set; on Wayland (a compositor that answers), "
     "draw on every output's background layer, as a lock screen's animation or a wallpaper"},
    {"window", OptionId::Window, "",
     "draw into a resizable window of its own, which keys do not end and closing does (the "
     "default when XSCREENSAVER_WINDOW is unset)"},
    {"window-id", OptionId::WindowId, "ID",
     "draw into the X window ID (decimal, or hexadecimal after 0x)"},
    {"delay", OptionId::Delay, "USECS", nullptr},  // text from the range below
    {"fps", OptionId::Fps, "", "show the frame rate in the lower left corner"},
    {"xscreensaver", OptionId::Alone, "",
     "take the settings from the options alone, and neither read nor write the settings file "
     "(XScreenSaver's settings page adds it)"},
    {"install-xscreensaver", OptionId::Install, "",
     "add Zarvella to the programs list in ~/.xscreensaver, keeping the rest of the file, and "
     "exit"},
    {"version", OptionId::Version, "", "print the program's name and version and exit"},
    {"help", OptionId::Help, "", "print this help and exit"},
};

struct Found {
    OptionId id;
    const GeneralOption* general = nullptr;
    const SettingInfo* setting = nullptr;
};

std::string_view WithoutDashes(std::string_view word) {
    if (word.size() > 2 && word.substr(0, 2) == "--") return word.substr(2);
    if (word.size() > 1 && word[0] == '-' && word[1] != '-') return word.substr(1);
    return {};
}

bool FindOption(std::string_view word, Found& found) {
    std::string_view name = WithoutDashes(word);
    if (name.empty()) return false;
    // -h as well, as most programs take it; a letter that starts no mode.
    if (name == "h") name = "help";
    for (const GeneralOption& g : kGeneralOptions) {
        if (name == g.name) {
            found = {g.id, &g, nullptr};
            return true;
        }
    }
    for (const SettingInfo& info : kSettingsTable) {
        if (name == info.option) {
            found = {OptionId::Setting, nullptr, &info};
            return true;
        }
        if (info.control == SettingControl::CheckBox && name.substr(0, 3) == "no-" &&
            name.substr(3) == info.option) {
            found = {OptionId::SettingOff, nullptr, &info};
            return true;
        }
    }
    return false;
}

std::string Range(int32_t min, int32_t max) {
    return std::to_string(min) + " to " + std::to_string(max);
}

std::string DelayText() {
    return "microseconds from one frame to the next, " + Range(kDelayMin, kDelayMax) +
           " (default " + std::to_string(kDelayDefault) + ")";
}

// A whole decimal number, optionally signed, within min..max.
bool ParseNumber(const std::string& text, int32_t min, int32_t max, int32_t& value) {
    if (text.empty() || text.size() > 12) return false;
    // The sign by hand: from_chars takes no plus sign, and none for an unsigned number.
    const bool negative = text[0] == '-';
    const char* end = text.data() + text.size();
    unsigned long long digits = 0;
    const auto [stop, error] =
        std::from_chars(text.data() + (negative || text[0] == '+' ? 1 : 0), end, digits);
    if (error != std::errc() || stop != end) return false;
    const long long number =
        negative ? -static_cast<long long>(digits) : static_cast<long long>(digits);
    if (number < min || number > max) return false;
    value = static_cast<int32_t>(number);
    return true;
}

// X window ids are unsigned: "-5" names no window (it would wrap to 0xfffffffb).
bool Negative(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first != std::string_view::npos && text[first] == '-';
}

std::string NumberError(const std::string& option, int32_t min, int32_t max, const char* given) {
    std::string text = option + " takes a number from " + Range(min, max);
    if (!given) return text + ", and none was given";
    return text + ", not \"" + given + "\"";
}

}  // namespace

std::vector<OptionHelp> OptionHelpList() {
    std::vector<OptionHelp> list;
    const GeneralOption* help = nullptr;
    for (const GeneralOption& g : kGeneralOptions) {
        if (g.id == OptionId::Help) {
            help = &g;  // listed last
            continue;
        }
        list.push_back({std::string("-") + g.name, g.argument, g.text ? g.text : DelayText(), ""});
    }
    for (const SettingInfo& info : kSettingsTable) {
        const std::string name = std::string("-") + info.option;
        if (info.control == SettingControl::CheckBox) {
            list.push_back({name, "",
                            std::string(info.label) + " on, or off with -no-" + info.option +
                                " (default " + (info.defaultValue ? "on" : "off") + ")",
                            "-no-" + std::string(info.option)});
        } else {
            list.push_back({name, "N",
                            std::string(info.label) + ", " + Range(info.min, info.max) +
                                " (default " + std::to_string(info.defaultValue) + ")",
                            ""});
        }
    }
    list.push_back({std::string("-") + help->name, "", help->text, "-h"});
    return list;
}

std::string UsageText() {
    std::string text =
        "Usage: zarvella [/s | /c | /p ID | /a]\n"
        "       zarvella [OPTION]...\n"
        "       zarvella --idle [TIME] | --enable-idle [TIME] | --disable-idle\n"
        "\n"
        "--idle stays in the session and starts the full-screen saver (/s) whenever\n"
        "there has been no input for TIME (90s, 10m or 1h; 10m unless given), unless a\n"
        "player or a presentation holds the saver off. --enable-idle [TIME] starts it\n"
        "with each of your sessions (an XDG autostart entry); --disable-idle undoes it.\n"
        "\n"
        "A first argument that is one of the options below makes the command line\n"
        "XScreenSaver's kind: the stored settings (those of the settings window, /c),\n"
        "each option given taking the place of its setting. With -xscreensaver, as\n"
        "XScreenSaver's settings page starts it, the settings are the options' values,\n"
        "or their defaults, and the settings file is neither read nor written. Any\n"
        "other command line is Windows' kind, with the stored settings: /s full screen,\n"
        "/c the settings window, /p ID the preview in window ID, /a the password\n"
        "(nothing on Linux).\n"
        "\n"
        "Options (one dash or two):\n";
    // Each option's text in a column from 24, wrapped to 79 characters.
    constexpr size_t kColumn = 24, kWidth = 79;
    for (const OptionHelp& o : OptionHelpList()) {
        std::string line = "  " + o.name;
        if (!o.argument.empty()) line += " " + o.argument;
        if (!o.also.empty()) line += ", " + o.also;
        line.resize(line.size() < kColumn ? kColumn : line.size() + 1, ' ');
        size_t start = 0;
        while (start < o.text.size()) {
            size_t end = o.text.size();
            if (line.size() + (end - start) > kWidth) {
                end = o.text.rfind(' ', start + (kWidth - line.size()));
                if (end == std::string::npos || end <= start) end = o.text.size();
            }
            text += line + o.text.substr(start, end - start) + "\n";
            line.assign(kColumn, ' ');
            start = end + (end < o.text.size() ? 1 : 0);
        }
    }
    return text;
}

bool IsHackOption(std::string_view word) {
    Found found{};
    return FindOption(word, found);
}

HackCommandLine ParseHackCommandLine(const std::vector<std::string>& args,
                                     const char* windowVariable) {
    HackCommandLine result;
    HackOptions& o = result.options;
    // -root and -window: the later one wins; -window-id wins over both.
    bool root = false, ownWindow = false, givenId = false;
    for (size_t i = 0; i < args.size(); ++i) {
        Found found{};
        if (!FindOption(args[i], found)) {
            result.error = "unknown option \"" + args[i] + "\"";
            return result;
        }
        const char* value = i + 1 < args.size() ? args[i + 1].c_str() : nullptr;
        int32_t number = 0;
        switch (found.id) {
            case OptionId::Help:
                result.help = true;
                return result;
            case OptionId::Version:
                result.version = true;
                return result;
            case OptionId::Install:
                result.installXScreenSaver = true;
                return result;
            case OptionId::Alone:
                o.optionsAlone = true;
                break;
            case OptionId::Root:
            case OptionId::Window:
                root = found.id == OptionId::Root;
                ownWindow = !root;
                break;
            case OptionId::Fps:
                o.showFrameRate = true;
                break;
            case OptionId::WindowId:
                o.window = value && !Negative(value) ? ParseWindowHandle(value) : 0;
                if (o.window == 0) {
                    result.error = args[i] +
                                   " takes an X window id (decimal, or hexadecimal after 0x)" +
                                   (value ? std::string(", not \"") + value + "\"" : "");
                    return result;
                }
                givenId = true;
                ++i;
                break;
            case OptionId::Delay:
                if (!value || !ParseNumber(value, kDelayMin, kDelayMax, number)) {
                    result.error = NumberError(args[i], kDelayMin, kDelayMax, value);
                    return result;
                }
                o.delayMicroseconds = number;
                ++i;
                break;
            case OptionId::Setting:
                o.given[static_cast<size_t>(found.setting - kSettingsTable.data())] = true;
                if (found.setting->control == SettingControl::CheckBox) {
                    SetSettingValue(*found.setting, o.settings, 1);
                    break;
                }
                if (!value || !ParseNumber(value, found.setting->min, found.setting->max, number)) {
                    result.error =
                        NumberError(args[i], found.setting->min, found.setting->max, value);
                    return result;
                }
                SetSettingValue(*found.setting, o.settings, number);
                ++i;
                break;
            case OptionId::SettingOff:
                o.given[static_cast<size_t>(found.setting - kSettingsTable.data())] = true;
                SetSettingValue(*found.setting, o.settings, 0);
                break;
        }
    }
    const bool variable = windowVariable && *windowVariable;
    if (givenId) {
        o.target = HackTarget::GivenWindow;
    } else if (ownWindow) {
        o.target = HackTarget::OwnWindow;
    } else if (variable) {
        o.target = HackTarget::GivenWindow;
        o.window = ParseWindowHandle(windowVariable);
        o.fromWindowVariable = true;
        if (o.window == 0)
            result.error = std::string("XSCREENSAVER_WINDOW holds \"") + windowVariable +
                           "\", not an X window id";
    } else {
        o.target = root ? HackTarget::RootWindow : HackTarget::OwnWindow;
    }
    return result;
}

}  // namespace zarvella
