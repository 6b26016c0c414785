#pragma once
// The wallpaper of sway and other wlroots compositors: a swaybg process shows it. Nothing can be
// asked what it shows, so the last choice and the process (pid and start time) are kept in the
// state file.

#include "ProcessRunner.h"
#include "WallpaperState.h"

#include <memory>

class TSwaybgWallpaper : public TStateFileWallpaper {
public:
    // Starts swaybg through the runner; keeps the state file in the given folder.
    TSwaybgWallpaper(std::unique_ptr<IProcessRunner> runner, const QString& stateFolder);

    QString Name() const override;
    // Starts "swaybg -i FILE -m tile|center|stretch|fill|fit -c #000000" and waits until it has
    // taken the compositor's outputs; only then records the choice and stops the swaybg of our
    // previous choice. False, with the old swaybg and the state file as they were and the new
    // one stopped, when the picture cannot be read, swaybg fails or the state cannot be saved.
    // An empty name stops our swaybg and records that, leaving what the compositor shows
    // without it; false, that swaybg still running, when the state cannot be saved.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) override;
    // What swaybg loads: PNG and JPEG (and BMP, through GdkPixbuf).
    QStringList AsIsExtensions() const override;

private:
    bool ClearWallpaper();
    bool StartShown(const QStringList& arguments, TProcessId& started);
    bool WaitUntilShown(const TProcessId& process, const QString& errorFile);

    std::unique_ptr<IProcessRunner> FRunner;
};
