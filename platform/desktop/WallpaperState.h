#pragma once
// The last wallpaper chosen, kept in a small file for the desktops that do not remember it
// themselves (the X root window, swaybg): the file, the style, and the pid of the swaybg we
// started with its start time.

#include "DesktopWallpaper.h"
#include "ProcessRunner.h"

#include <QString>

struct TWallpaperState {
    QString FileName;
    TLxWallpaperStyle Style = wsCentered;
    TProcessId Process; // Pid 0: no process of ours shows it; StartTime 0 in older files
};

// The state file in the given folder.
QString WallpaperStateFile(const QString& folder);
// Reads the state file of the folder; false (and the state untouched) when it is missing or
// damaged. A style code past wsScaled reads as centred.
bool LoadWallpaperState(const QString& folder, TWallpaperState& state);
// Writes the state file, creating the folder when missing; false, with the reason in error, when
// it cannot be written.
bool SaveWallpaperState(const QString& folder, const TWallpaperState& state, QString& error);

// The part shared by the adapters whose desktop cannot say what it shows.
class TStateFileWallpaper : public IDesktopWallpaper {
public:
    // The last choice from the state file; false, with an empty name and wsCentered, when there
    // is none.
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) override;
    // Sets the choice in the state file again; false when there is none or it cannot be set.
    bool Restore() override;

protected:
    explicit TStateFileWallpaper(const QString& stateFolder) : FStateFolder(stateFolder) {}
    // Records a choice that is now shown; false, with the reason in LastError, when the state
    // file cannot be written.
    bool Remember(const QString& fileName, TLxWallpaperStyle style, const TProcessId& process = {});
    // Why GetWallpaper and Restore have nothing to go by.
    QString NoChoiceReason() const;

    QString FStateFolder;
};
