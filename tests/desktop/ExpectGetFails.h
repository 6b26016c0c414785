#pragma once
// The answer of an adapter whose desktop cannot be asked.

#include "DesktopWallpaper.h"

#include <gtest/gtest.h>

// GetWallpaper returns false with an empty file name and wsCentered, whatever the variables
// held before.
inline void ExpectGetFails(IDesktopWallpaper& desktop) {
    QString fileName = QStringLiteral("stale");
    int style = wsTiled;
    EXPECT_FALSE(desktop.GetWallpaper(fileName, style)) << desktop.Name().toStdString();
    EXPECT_TRUE(fileName.isEmpty());
    EXPECT_EQ(style, wsCentered);
}
