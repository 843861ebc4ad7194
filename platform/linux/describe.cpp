// Build tool: writes XScreenSaver's settings page (zarvella.xml) and the
// manual page's option list from the options of startup/options.h and the
// settings table, so neither can drift from what the program accepts.
//
//   zarvella_describe xml OUTPUT
//   zarvella_describe man TEMPLATE OUTPUT   (the template's line '.\" OPTIONS'
//                                            becomes the list)
#include <cctype>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "startup/options.h"

using namespace zarvella;

namespace {

// The picture is a choice among ten, not an amount: a menu, not a slider.
constexpr std::string_view kChoiceOption = "kind";

std::string Xml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Words on the ends of each slider, as XScreenSaver's own pages have them.
struct SliderWords {
    std::string_view option, low, high;
};
constexpr SliderWords kSliderWords[] = {
    {"speed", "Slow", "Fast"},   {"brightness", "Dim", "Bright"}, {"size", "Small", "Large"},
    {"segments", "Few", "Many"}, {"detail", "Low", "High"},
};

// Every option as XScreenSaver writes it onto the hack's command line. An
// option at its default is left out by XScreenSaver, which is why the
// program takes a missing option as the table's default. -xscreensaver on
// every line it makes: there the page alone holds the settings.
bool WriteXml(std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n"
        << "<screensaver name=\"zarvella\" _label=\"Zarvella\" gl=\"yes\">\n\n"
        << "  <command arg=\"-root\"/>\n"
        << "  <command arg=\"-xscreensaver\"/>\n\n"
        << "  <number id=\"delay\" type=\"slider\" arg=\"-delay %\"\n"
        << "          _label=\"Frame rate\" _low-label=\"Low\" _high-label=\"High\"\n"
        << "          low=\"" << kDelayMin << "\" high=\"" << kDelayMax << "\" default=\""
        << kDelayDefault << "\"\n"
        << "          convert=\"invert\"/>\n\n";
    for (const SettingInfo& info : kSettingsTable) {
        if (info.control != SettingControl::Slider || info.option == kChoiceOption) continue;
        const SliderWords* words = nullptr;
        for (const SliderWords& w : kSliderWords)
            if (w.option == info.option) words = &w;
        if (!words) {
            std::cerr << "zarvella_describe: no words for the ends of -" << info.option << "\n";
            return false;
        }
        out << "  <number id=\"" << info.option << "\" type=\"slider\" arg=\"-" << info.option
            << " %\"\n"
            << "          _label=\"" << Xml(info.label) << "\" _low-label=\"" << words->low
            << "\" _high-label=\"" << words->high << "\"\n"
            << "          low=\"" << info.min << "\" high=\"" << info.max << "\" default=\""
            << info.defaultValue << "\"/>\n\n";
    }
    // The picture menu: Random first (the check box's option), then each one.
    for (const SettingInfo& info : kSettingsTable) {
        if (info.option != kChoiceOption) continue;
        out << "  <select id=\"" << info.option << "\">\n";
        for (const SettingInfo& box : kSettingsTable) {
            if (box.control != SettingControl::CheckBox) continue;
            out << "    <option id=\"" << box.option << "\" _label=\"" << Xml(box.label)
                << "\" arg-set=\"-" << box.option << "\"/>\n";
        }
        for (int32_t v = info.min; v <= info.max; ++v) {
            out << "    <option id=\"" << info.option << v << "\" _label=\"Picture " << v << "\"";
            if (v != info.defaultValue) out << " arg-set=\"-" << info.option << " " << v << "\"";
            out << "/>\n";
        }
        out << "  </select>\n\n";
    }
    out << "  <boolean id=\"showfps\" _label=\"Show frame rate\" arg-set=\"-fps\"/>\n\n"
        << "  <_description>\n"
        << "A slowly changing, lit, translucent figure: a triangulated surface from one\n"
        << "of ten trigonometric formula sets, drawn several times over, each copy turned\n"
        << "about the viewing axis, like a kaleidoscope of fading teeth.\n\n"
        << "Written by The Zarvella developers; 2026.\n"
        << "  </_description>\n"
        << "</screensaver>\n";
    return true;
}

// Dashes as roff's minus signs, so that options can be copied and searched.
std::string Roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '-' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

void WriteManOptions(std::ostream& out) {
    for (const OptionHelp& o : OptionHelpList()) {
        out << ".TP\n";
        if (!o.argument.empty()) {
            out << ".BI \"" << Roff(o.name) << " \" " << o.argument << "\n";
        } else if (!o.also.empty()) {
            out << ".BR " << Roff(o.name) << " \", \" " << Roff(o.also) << "\n";
        } else {
            out << ".B " << Roff(o.name) << "\n";
        }
        std::string text = Roff(o.text);
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        out << text << ".\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "xml" && argc == 3) {
        std::ostringstream page;
        if (!WriteXml(page)) return 1;
        std::ofstream out(argv[2]);
        out << page.str();
        return out ? 0 : 1;
    }
    if (what == "man" && argc == 4) {
        std::ifstream in(argv[2]);
        std::ostringstream page;
        std::string line;
        bool listed = false;
        while (std::getline(in, line)) {
            if (line == ".\\\" OPTIONS") {
                WriteManOptions(page);
                listed = true;
            } else {
                page << line << "\n";
            }
        }
        if (!listed) {
            std::cerr << "zarvella_describe: no '.\\\" OPTIONS' line in " << argv[2] << "\n";
            return 1;
        }
        std::ofstream out(argv[3]);
        out << page.str();
        return out ? 0 : 1;
    }
    std::cerr << "usage: zarvella_describe xml OUTPUT | man TEMPLATE OUTPUT\n";
    return 2;
}
