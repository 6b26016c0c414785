#pragma once
// The one place that decides how this session's wallpaper is reached.

#include "DesktopDetection.h"
#include "DesktopWallpaper.h"

#include <memory>

// The snapshot of the running session: its variables, which desktop shells answer on the
// session bus, which GSettings schemas are installed.
TDesktopSnapshot ReadDesktopSnapshot();

// The folder of the state file: the user's data folder, then Ornwick/Velloria/. Raises as
// UserDataFolder does when there is no home folder.
QString DefaultStateFolder();

// The adapter for the kind, keeping its state (where it needs one) in the given folder. For
// TDesktopKind::None, an adapter named "none" whose calls all fail.
std::unique_ptr<IDesktopWallpaper> CreateDesktopWallpaper(TDesktopKind kind,
                                                          const QString& stateFolder);

// The adapter for the running session, with the default state folder.
std::unique_ptr<IDesktopWallpaper> CreateDesktopWallpaper();
