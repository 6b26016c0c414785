#include "UserFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {
// A base directory from its variable, else from HOME and the fallback; relative values are
// ignored, as the XDG rules say.
QString BaseFolder(const char* variable, const char* fallback) {
    QString path = qEnvironmentVariable(variable);
    if (path.isEmpty() || QDir::isRelativePath(path)) {
        const QString home = qEnvironmentVariable("HOME", QDir::homePath());
        if (home.isEmpty())
            return {};
        path = home + QLatin1Char('/') + QLatin1String(fallback);
    }
    path = ExcludeTrailingPathDelimiter(QDir::cleanPath(path));
    return ForceDirectories(path) ? path : QString();
}
} // namespace

QString UserConfigFolder() {
    return BaseFolder("XDG_CONFIG_HOME", ".config");
}

QString UserDataFolder() {
    return BaseFolder("XDG_DATA_HOME", ".local/share");
}

bool ForceDirectories(const QString& path) {
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).isDir())
        return true;
    return QDir().mkpath(path) && QFileInfo(path).isDir();
}

QString IncludeTrailingPathDelimiter(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString ExcludeTrailingPathDelimiter(const QString& path) {
    QString result = path;
    while (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}
