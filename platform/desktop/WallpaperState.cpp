#include "WallpaperState.h"

#include "UserFolders.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
const QString FileKey = QStringLiteral("file");
const QString StyleKey = QStringLiteral("style");
const QString PidKey = QStringLiteral("pid");
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
    state.Style = json.value(StyleKey).toInt();
    state.Pid = json.value(PidKey).toInteger();
    return true;
}

bool SaveWallpaperState(const QString& folder, const TWallpaperState& state) {
    if (!ForceDirectories(folder))
        return false;
    const QJsonObject json{{FileKey, state.FileName}, {StyleKey, state.Style}, {PidKey, state.Pid}};
    QSaveFile file(WallpaperStateFile(folder));
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(json).toJson()) >= 0 &&
           file.commit();
}

bool TStateFileWallpaper::GetWallpaper(QString& fileName, int& style) {
    TWallpaperState state;
    const bool known = LoadWallpaperState(FStateFolder, state);
    fileName = known ? state.FileName : QString();
    style = known ? ValidStyle(state.Style) : int(wsCentered);
    return known;
}

bool TStateFileWallpaper::Restore() {
    TWallpaperState state;
    return LoadWallpaperState(FStateFolder, state) && SetWallpaper(state.FileName, state.Style);
}

void TStateFileWallpaper::Remember(const QString& fileName, int style, qint64 pid) {
    SaveWallpaperState(FStateFolder, {fileName, ValidStyle(style), pid});
}
