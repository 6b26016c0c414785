#pragma once
// The wallpaper of sway and other wlroots compositors: a swaybg process shows it. Nothing can be
// asked what it shows, so the last choice and the process's pid are kept in the state file.

#include "ProcessRunner.h"
#include "WallpaperState.h"

#include <memory>

class TSwaybgWallpaper : public TStateFileWallpaper {
public:
    // Starts swaybg through the runner; keeps the state file in the given folder.
    TSwaybgWallpaper(std::unique_ptr<IProcessRunner> runner, const QString& stateFolder);

    QString Name() const override;
    // Starts "swaybg -i FILE -m tile|center|stretch -c #000000", then stops the swaybg we started
    // before, and keeps the choice. False (and nothing changed) when swaybg cannot be started.
    bool SetWallpaper(const QString& fileName, int style) override;

private:
    std::unique_ptr<IProcessRunner> FRunner;
};
