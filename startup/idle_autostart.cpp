#include "startup/idle_autostart.h"

#include <string_view>

#include "startup/idle.h"

namespace zarvella {

namespace {

// Exec's argument: quoted when it holds a reserved character, `"$\ escaped
// inside; the value as a string then doubles its backslashes, and % is %%.
std::string ExecArgument(const std::string& program) {
    bool quote = false;
    std::string exec;
    for (const char c : program) {
        if (std::string_view(" \t\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos)
            quote = true;
        if (c == '"' || c == '`' || c == '$') exec += "\\\\";
        if (c == '\\') exec += "\\\\\\";
        exec += c == '%' ? "%%" : std::string(1, c);
    }
    return quote ? "\"" + exec + "\"" : exec;
}

// TryExec is a plain string: only its backslashes are escaped.
std::string StringValue(const std::string& text) {
    std::string value;
    for (const char c : text) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

}  // namespace

IdleAutostart IdleAutostartFor(const RunningProgram& program, int seconds) {
    if (program.path.empty())
        return {"", "zarvella: cannot read this program's path from /proc/self/exe"};
    if (program.gone)
        return {"", "zarvella: this program's file was removed or replaced while it ran (" +
                        program.path + "): run --enable-idle again from the installed program"};
    const std::string& path = program.publicPath.empty() ? program.path : program.publicPath;
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return {"", "zarvella: this program's path cannot go in an autostart entry"};
    const std::string time = FormatIdleTime(seconds);
    return {
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Zarvella idle saver\n"
        "Comment=Starts the Zarvella screen saver after " +
            time + " without input\nTryExec=" + StringValue(path) + "\nExec=" + ExecArgument(path) +
            " --idle " + time +
            "\n"
            "NoDisplay=true\n"
            "X-GNOME-Autostart-enabled=true\n",
        ""};
}

}  // namespace zarvella
