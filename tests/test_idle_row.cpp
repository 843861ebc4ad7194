// The settings window's --idle row: its state from the entry, the idle
// source or its refusal, and the host.
#include <gtest/gtest.h>

#include "startup/idle_row.h"

using namespace zarvella;

TEST(IdleRow, ShowsTheEntryTheSourceAndTheHost) {
    using Entry = IdleRowFacts::Entry;
    const std::string head = "[Desktop Entry]\nType=Application\n";
    const IdleSourceChoice x11{IdleSource::X11ScreenSaver, ""};
    const IdleSourceChoice gnome{IdleSource::MutterIdleMonitor, ""};
    const IdleSourceChoice refused{IdleSource::None, "zarvella: the X display ':0' tells no idle"};
    const std::string path = "/h/.config/autostart/zarvella-idle.desktop";
    const struct {
        SaverHost host;
        Entry entry;
        std::string text;  // the entry's, or the line why it cannot be read
        IdleSourceChoice choice;
        bool bus;
        std::string fault;
        bool shown, enabled, checked;
        int minutes;
        std::string line;  // its start
    } rows[] = {
        {SaverHost::None, Entry::Missing, "", x11, true, "", true, true, false, 10,
         "Runs --idle now and at each login. The X server"},
        {SaverHost::None, Entry::Missing, "", gnome, true, "", true, true, false, 10,
         "Runs --idle now and at each login. GNOME tells"},
        {SaverHost::None, Entry::Read, head + "Exec=/usr/bin/zarvella --idle 4m\n", gnome, true, "",
         true, true, true, 4, "On: --idle 4m runs now"},
        // by hand: one dash, quoted path, escapes; 90 s shows as 2 minutes
        {SaverHost::None, Entry::Read, head + "Exec = \"/opt/my\\\\\\\\ z/zarvella\" -idle 90s\n",
         x11, true, "", true, true, true, 2, "On: --idle 90s runs"},
        {SaverHost::None, Entry::Read, head + "Exec=zarvella --idle\nHidden=true\n", x11, true, "",
         true, true, false, 10, "Runs --idle"},
        {SaverHost::None, Entry::Read, head + "Exec=zarvella --idle 2h\n", x11, true,
         "zarvella: cannot write /h: Permission denied", true, true, true, 120,
         "zarvella: cannot write /h: Permission denied"},
        {SaverHost::None, Entry::Read, head + "Exec=zarvella --idle 24h\n", refused, true, "", true,
         false, true, 1440, "zarvella: the X display ':0' tells no idle"},
        {SaverHost::None, Entry::Read, head + "Exec=xautolock -time 5\n", x11, true, "", true,
         false, false, 10, "zarvella: " + path + " runs another program: it is kept"},
        {SaverHost::None, Entry::Read, head + "Exec=zarvella --idle soon\n", x11, true, "", true,
         false, false, 10, "zarvella: " + path + " runs another program"},
        {SaverHost::None, Entry::Read, "[Other]\nExec=zarvella --idle\n", x11, true, "", true,
         false, false, 10, "zarvella: " + path + " runs another program"},
        {SaverHost::None, Entry::Unreadable, "zarvella: cannot read it: Permission denied", x11,
         true, "", true, false, false, 10, "zarvella: cannot read it: Permission denied"},
        {SaverHost::None, Entry::Missing, "", x11, false, "", true, true, false, 10,
         "zarvella: no session bus: players cannot hold the saver off"},
        {SaverHost::XScreenSaver, Entry::Missing, "", refused, true, "", false, false, false, 10,
         ""},
        {SaverHost::Mate, Entry::Read, head + "Exec=zarvella --idle 4m\n", x11, true, "", false,
         false, false, 10, ""},
    };
    for (const auto& row : rows) {
        const IdleRowState state =
            DecideIdleRow({row.host, path, row.entry, row.text, row.choice, row.bus, row.fault});
        EXPECT_EQ((std::vector<int>{state.shown, state.enabled, state.checked, state.minutes}),
                  (std::vector<int>{row.shown, row.enabled, row.checked, row.minutes}))
            << row.text;
        EXPECT_TRUE(state.line.starts_with(row.line) && state.line.empty() == row.line.empty())
            << state.line;
    }
    EXPECT_EQ(DecideIdleRow(IdleRowFacts()).line,
              "zarvella: neither XDG_CONFIG_HOME nor HOME names a folder");
    // The row fits with the window: 400x460 where there is room, scaled as a whole where not.
    EXPECT_EQ(SettingsClientSizeWithIdleRow({1920, 1080}, {}, true), (PixelSize{400, 460}));
    EXPECT_EQ(SettingsClientSizeWithIdleRow({640, 360}, {}, true), (PixelSize{260, 300}));
    EXPECT_EQ(SettingsClientSizeWithIdleRow({640, 360}, {}, false), (PixelSize{279, 300}));
}
