#include "platform/linux/qt_platforms.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QStringList>
#include <algorithm>

namespace zarvella::linux_shell {

namespace {

// QPlatformIntegrationFactoryInterface_iid's leading part; the version after
// it changes with Qt.
constexpr const char* kPlatformIid = "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface";

void AddKeys(const QJsonObject& metaData, std::vector<std::string>& names) {
    if (!metaData.value("IID").toString().startsWith(QLatin1String(kPlatformIid))) return;
    for (const auto key : metaData.value("MetaData").toObject().value("Keys").toArray()) {
        const std::string name = key.toString().toStdString();
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
}

}  // namespace

std::vector<std::string> QtPlatformPlugins() {
    QStringList folders;
    if (const QString direct = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
        !direct.isEmpty())
        folders << direct;
    QStringList roots = qEnvironmentVariable("QT_PLUGIN_PATH").split(':', Qt::SkipEmptyParts);
    roots << QLibraryInfo::path(QLibraryInfo::PluginsPath)
          << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
    for (const QString& root : roots) folders << root + "/platforms";

    std::vector<std::string> names;
    for (const QStaticPlugin& plugin : QPluginLoader::staticPlugins())
        AddKeys(plugin.metaData(), names);
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            if (!QLibrary::isLibrary(file)) continue;
            AddKeys(QPluginLoader(dir.filePath(file)).metaData(), names);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zarvella::linux_shell
