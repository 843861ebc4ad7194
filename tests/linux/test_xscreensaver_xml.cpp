// XScreenSaver's settings page as built (zarvella.xml): every setting of the
// table is on it with its range and default, and every command line the page
// can produce, each control at its low, high and default value, is accepted
// and applied with the options alone (the page marks its command lines).
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "startup/launch.h"

using namespace zarvella;

namespace {

std::string ReadXml() {
    std::ifstream in(ZARVELLA_XML_PATH);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// attribute="value" pairs of every element with the given tag.
std::vector<std::map<std::string, std::string>> Elements(const std::string& xml,
                                                         const std::string& tag) {
    std::vector<std::map<std::string, std::string>> found;
    const std::regex element("<" + tag + "\\s([^>]*)>");
    const std::regex attribute("([-a-z_]+)=\"([^\"]*)\"");
    for (std::sregex_iterator e(xml.begin(), xml.end(), element), end; e != end; ++e) {
        std::map<std::string, std::string> attributes;
        const std::string body = (*e)[1];
        for (std::sregex_iterator a(body.begin(), body.end(), attribute); a != end; ++a)
            attributes[(*a)[1]] = (*a)[2];
        found.push_back(attributes);
    }
    return found;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The hack XScreenSaver would start: the page's command, then the control's
// fragment.
HackOptions Start(const std::string& command, const std::string& fragment) {
    std::vector<std::string> args = Words(command);
    for (const std::string& w : Words(fragment)) args.push_back(w);
    const LaunchPlan plan = PlanLaunch(args, "4711", CommandLines::WindowsAndXScreenSaver);
    EXPECT_EQ(plan.kind, LaunchKind::Hack) << fragment << ": " << plan.error;
    EXPECT_EQ(plan.hack.target, HackTarget::GivenWindow) << fragment;
    EXPECT_TRUE(plan.hack.optionsAlone) << fragment;
    return plan.hack;
}

const SettingInfo* SettingFor(const std::string& option) {
    for (const SettingInfo& info : kSettingsTable)
        if (option == std::string("-") + info.option) return &info;
    return nullptr;
}

}  // namespace

TEST(XScreenSaverPage, EveryControlAtItsEndsAndDefaultIsAcceptedAndApplied) {
    const std::string xml = ReadXml();
    ASSERT_FALSE(xml.empty()) << ZARVELLA_XML_PATH;
    std::string command;
    for (auto& c : Elements(xml, "command")) command += c["arg"] + " ";
    std::set<std::string> onPage;
    EXPECT_NE(xml.find("Written by The Zarvella developers; 2026."), std::string::npos);
    EXPECT_EQ(Elements(xml, "option").at(0)["arg-set"], "-random");  // first in the menu

    for (auto& number : Elements(xml, "number")) {
        const std::string arg = number["arg"];
        const std::string option = arg.substr(0, arg.find(' '));
        const SettingInfo* info = SettingFor(option);
        if (info) {
            onPage.insert(info->option);
            EXPECT_EQ(number["low"], std::to_string(info->min)) << option;
            EXPECT_EQ(number["high"], std::to_string(info->max)) << option;
            EXPECT_EQ(number["default"], std::to_string(info->defaultValue)) << option;
            // Words on the ends, not the numbers.
            EXPECT_TRUE(std::isalpha(number["_low-label"][0])) << option;
            EXPECT_TRUE(std::isalpha(number["_high-label"][0])) << option;
        } else {
            ASSERT_EQ(option, "-delay");
            EXPECT_EQ(number["default"], std::to_string(kDelayDefault));
        }
        for (const char* end : {"low", "high", "default"}) {
            const std::string value = number[end];
            const HackOptions o = Start(command, std::regex_replace(arg, std::regex("%"), value));
            const int32_t applied = info ? SettingValue(*info, o.settings) : o.delayMicroseconds;
            EXPECT_EQ(std::to_string(applied), value) << option << " " << end;
        }
    }

    for (auto& choice : Elements(xml, "option")) {
        const std::string id = choice["id"];
        const std::string set = choice["arg-set"];
        const std::vector<std::string> words = Words(set);
        // The choice's id is its option and value (a switch's, its option);
        // the default choice adds nothing to the command line, so the
        // table's default is drawn.
        const SettingInfo* info = SettingFor("-" + id.substr(0, id.find_first_of("0123456789")));
        ASSERT_NE(info, nullptr) << id;
        onPage.insert(info->option);
        const int32_t value = words.empty()       ? info->defaultValue
                              : words.size() == 1 ? 1
                                                  : std::stoi(words[1]);
        EXPECT_EQ(id, info->option + (words.size() == 1 ? "" : std::to_string(value)));
        EXPECT_EQ(SettingValue(*info, Start(command, set).settings), value) << id;
    }

    for (auto& box : Elements(xml, "boolean")) {
        const std::string set = box["arg-set"];
        ASSERT_FALSE(set.empty()) << box["id"] << ": every box is off by default";
        const HackOptions off = Start(command, "");
        const HackOptions on = Start(command, set);
        if (const SettingInfo* info = SettingFor(set)) {
            onPage.insert(info->option);
            EXPECT_EQ(SettingValue(*info, off.settings), info->defaultValue);
            EXPECT_EQ(SettingValue(*info, on.settings), 1);
        } else {
            EXPECT_EQ(set, "-fps");
            EXPECT_FALSE(off.showFrameRate);
            EXPECT_TRUE(on.showFrameRate);
        }
    }

    for (const SettingInfo& info : kSettingsTable)
        EXPECT_TRUE(onPage.count(info.option)) << info.option << " is not on the page";
}
