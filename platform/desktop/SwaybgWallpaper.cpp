#include "SwaybgWallpaper.h"

namespace {
const QString Program = QStringLiteral("swaybg");
const TServiceStyles<QString> Modes = {QStringLiteral("tile"), QStringLiteral("center"),
                                       QStringLiteral("stretch")};
} // namespace

TSwaybgWallpaper::TSwaybgWallpaper(std::unique_ptr<IProcessRunner> runner,
                                   const QString& stateFolder)
    : TStateFileWallpaper(stateFolder), FRunner(std::move(runner)) {}

QString TSwaybgWallpaper::Name() const {
    return QStringLiteral("sway");
}

bool TSwaybgWallpaper::SetWallpaper(const QString& fileName, int style) {
    // Black around a centred picture, as on the X root window.
    const qint64 pid = FRunner->Start(Program, {QStringLiteral("-i"), fileName,
                                                QStringLiteral("-m"), StyleToService(style, Modes),
                                                QStringLiteral("-c"), QStringLiteral("#000000")});
    if (pid == 0)
        return false;
    // The old instance goes only once the new one runs, so a failed start leaves the desktop
    // as it was.
    TWallpaperState previous;
    if (LoadWallpaperState(FStateFolder, previous) && previous.Pid != pid)
        FRunner->Stop(previous.Pid, Program);
    Remember(fileName, style, pid);
    return true;
}
