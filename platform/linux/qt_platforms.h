// The names of the platform plugins Qt can load in this process, gathered
// before QApplication, so that the core can refuse a QT_QPA_PLATFORM that
// names none of them (Qt would abort).
#pragma once

#include <string>
#include <vector>

namespace zarvella::linux_shell {

// Each plugin's names as its metadata gives them (the plugin is not loaded),
// from where Qt looks: QT_QPA_PLATFORM_PLUGIN_PATH, then "platforms" under
// QT_PLUGIN_PATH's folders, Qt's own plugin folder and the program's folder,
// and the plugins built in.
std::vector<std::string> QtPlatformPlugins();

}  // namespace zarvella::linux_shell
