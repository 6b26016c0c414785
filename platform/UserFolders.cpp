#include "UserFolders.h"

#include "Exception.h"

#include <QDir>
#include <QFileInfo>

namespace {
bool IsAbsolute(const QString& path) {
    return path.startsWith(QLatin1Char('/'));
}

// A base directory from its variable, else from HOME and the fallback; relative values are
// ignored, as the XDG rules say. Without either there is no place for the user's files: using
// "/" or the current folder instead would scatter them where they do not belong.
QString BaseFolder(const char* variable, const char* fallback) {
    QString path = qEnvironmentVariable(variable);
    if (!IsAbsolute(path)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!IsAbsolute(home))
            throw Exception(QStringLiteral("No home folder: HOME is not set to an absolute path "
                                           "and neither is %1")
                                .arg(QLatin1String(variable)));
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
