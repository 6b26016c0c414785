#include "WallpaperState.h"

#include "AtomicFile.h"
#include "UserFolders.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString FileKey = QStringLiteral("file");
const QString StyleKey = QStringLiteral("style");
const QString PidKey = QStringLiteral("pid");
const QString StartTimeKey = QStringLiteral("start-time");
} // namespace

QString WallpaperStateFile(const QString& folder) {
    return IncludeTrailingPathDelimiter(folder) + QStringLiteral("desktop-wallpaper.json");
}

bool LoadWallpaperState(const QString& folder, TWallpaperState& state) {
    QFile file(WallpaperStateFile(folder));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    if (!json.value(FileKey).isString() || !json.value(StyleKey).isDouble())
        return false;
    state.FileName = json.value(FileKey).toString();
    state.Style = ValidStyle(json.value(StyleKey).toInt(-1));
    state.Process = {json.value(PidKey).toInteger(),
                     json.value(StartTimeKey).toString().toULongLong()};
    return true;
}

bool SaveWallpaperState(const QString& folder, const TWallpaperState& state, QString& error) {
    if (!ForceDirectories(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    // The start time is text: a JSON number holds only 53 bits exactly.
    const QJsonObject json{{FileKey, state.FileName},
                           {StyleKey, int(state.Style)},
                           {PidKey, state.Process.Pid},
                           {StartTimeKey, QString::number(state.Process.StartTime)}};
    const QString fileName = WallpaperStateFile(folder);
    QString reason;
    if (WriteFileAtomically(fileName, QJsonDocument(json).toJson(), reason))
        return true;
    error = QStringLiteral("cannot write %1: %2").arg(fileName, reason);
    return false;
}

bool TStateFileWallpaper::GetWallpaper(QString& fileName, TLxWallpaperStyle& style) {
    TWallpaperState state;
    const bool known = LoadWallpaperState(FStateFolder, state);
    fileName = known ? state.FileName : QString();
    style = known ? state.Style : wsCentered;
    return known ? Succeeded() : Failed(NoChoiceReason());
}

bool TStateFileWallpaper::Restore() {
    TWallpaperState state;
    if (!LoadWallpaperState(FStateFolder, state))
        return Failed(NoChoiceReason());
    return SetWallpaper(state.FileName, state.Style);
}

bool TStateFileWallpaper::Remember(const QString& fileName, TLxWallpaperStyle style,
                                   const TProcessId& process) {
    QString error;
    if (!SaveWallpaperState(FStateFolder, {fileName, ValidStyle(style), process}, error))
        return Failed(error);
    return Succeeded();
}

QString TStateFileWallpaper::NoChoiceReason() const {
    return QStringLiteral("no wallpaper chosen with this program is recorded in %1")
        .arg(WallpaperStateFile(FStateFolder));
}
