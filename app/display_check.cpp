#include "app/display_check.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QStaticPlugin>

namespace kv {

namespace {

// Followed by the interface's version, "5.3".
constexpr char kPlatformIid[] = "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.";

// The platform the command line names: Qt takes the last "-platform NAME" (or "--platform").
QString platformArgument(const QStringList& args, QStringList& pluginDirs) {
    QString platform;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-platform") || arg == QLatin1String("--platform"))
            platform = args[++i];
        else if (arg == QLatin1String("-platformpluginpath") ||
                 arg == QLatin1String("--platformpluginpath"))
            pluginDirs << args[++i];
    }
    return platform;
}

bool namesKey(const QJsonObject& metaData, const QString& name) {
    if (!metaData.value(QLatin1String("IID")).toString().startsWith(QLatin1String(kPlatformIid)))
        return false;
    const QJsonArray keys =
        metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
    for (const auto& key : keys)
        if (key.toString().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The folders Qt looks in for a platform plugin, as it looks: the ones given for platform
// plugins alone, then "platforms" in each plugin folder.
QStringList platformFolders(QStringList given) {
    given += qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")
                 .split(QDir::listSeparator(), Qt::SkipEmptyParts);
    QStringList pluginFolders =
        qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    pluginFolders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    // The program's own folder, where a bundle keeps its plugins.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty())
        pluginFolders << QFileInfo(self).absolutePath();
    for (const QString& folder : pluginFolders)
        given << folder + QStringLiteral("/platforms");
    return given;
}

bool pluginExists(const QString& name, const QStringList& folders) {
    for (const QStaticPlugin& plugin : QPluginLoader::staticPlugins())
        if (namesKey(plugin.metaData(), name))
            return true;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            const QPluginLoader loader(dir.filePath(file));
            if (namesKey(loader.metaData(), name))
                return true;
        }
    }
    return false;
}

} // namespace

bool displayAvailable(const QStringList& args) {
    QStringList given;
    QString platform = platformArgument(args, given);
    if (platform.isEmpty())
        platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        return !qEnvironmentVariableIsEmpty("DISPLAY") ||
               !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // "wayland;xcb" tries each in turn; "vnc:size=800x600" gives the plugin its arguments.
    const QStringList folders = platformFolders(given);
    for (const QString& choice : platform.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (pluginExists(choice.section(QLatin1Char(':'), 0, 0), folders))
            return true;
    return false;
}

} // namespace kv
