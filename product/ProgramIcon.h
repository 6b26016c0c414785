#pragma once
// The program's own icon.

#include <QIcon>

// The icon theme's copy when the program is installed into one, otherwise the renderings built
// into the program; never a null icon.
QIcon ProgramIcon();
