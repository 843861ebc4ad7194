// --enable-idle's autostart entry: the program's public path, TryExec, and
// the refusals.
#include <gtest/gtest.h>

#include "startup/idle_autostart.h"

using namespace zarvella;

TEST(IdleAutostart, TheEntryRunsTheProgramsPublicPathAndTriesItFirst) {
    EXPECT_EQ(
        IdleAutostartFor({"/usr/libexec/xscreensaver/zarvella", false, "/usr/bin/zarvella"}, 90)
            .entry,
        "[Desktop Entry]\nType=Application\nName=Zarvella idle saver\n"
        "Comment=Starts the Zarvella screen saver after 90s without input\n"
        "TryExec=/usr/bin/zarvella\nExec=/usr/bin/zarvella --idle 90s\nNoDisplay=true\n"
        "X-GNOME-Autostart-enabled=true\n");
    const struct {
        RunningProgram program;
        const char* lines;  // what the entry holds, or the start of the error
    } rows[] = {
        {{"/home/u/zarvella", false, ""}, "TryExec=/home/u/zarvella\nExec=/home/u/zarvella --idle"},
        {{"/opt/my saver/z", false, ""}, "TryExec=/opt/my saver/z\nExec=\"/opt/my saver/z\" --"},
        {{"/opt/a\"b$c`d\\e/z", false, ""},
         "TryExec=/opt/a\"b$c`d\\\\e/z\nExec=\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/z\" --idle"},
        {{"/opt/100%/z", false, ""}, "TryExec=/opt/100%/z\nExec=/opt/100%%/z --idle"},
        {{"/opt/a\nb/z", false, ""}, "zarvella: this program's path cannot go in"},
        {{"/usr/libexec/xscreensaver/zarvella (deleted)", true, ""},
         "zarvella: this program's file was removed or replaced while it ran "
         "(/usr/libexec/xscreensaver/zarvella (deleted))"},
        {{"", false, ""}, "zarvella: cannot read this program's path"},
    };
    for (const auto& row : rows) {
        const IdleAutostart made = IdleAutostartFor(row.program, 600);
        EXPECT_NE(made.entry.empty(), made.error.empty()) << row.program.path;
        EXPECT_TRUE(made.entry.find(row.lines) != std::string::npos ||
                    made.error.starts_with(row.lines))
            << row.program.path << ": " << made.entry << made.error;
    }
}
