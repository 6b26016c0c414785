#pragma once
// Reading the wallpaper from Plasma's desktop layout file (plasma-org.kde.plasma.desktop-appletsrc,
// KConfig format): the containment with the lowest number that has a wallpaper plugin and a
// picture.

#include "DesktopWallpaper.h"

#include <QString>

// Plasma's names for the plain picture wallpaper and its tiling variant.
extern const QString PlasmaImagePlugin;
extern const QString PlasmaTiledPlugin;
// Plasma's FillMode values for tiled, centred (padded), stretched, zoomed (cropped) and scaled
// (fitted).
extern const TServiceStyles<int> PlasmaFillModes;

// Fills in the picture (a local path; file URLs are turned into paths) and the style, and
// returns true. False, with an empty name and wsCentered, when the file cannot be read or names
// no picture wallpaper.
bool ReadPlasmaAppletsFile(const QString& appletsFile, QString& fileName, TLxWallpaperStyle& style);
