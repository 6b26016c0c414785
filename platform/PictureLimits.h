#pragma once
// The largest picture the program decodes, shared by its own readers and the Qt readers some
// desktop adapters decode with, so that both accept and refuse the same pictures.

#include <QtGlobal>

// Readers refuse headers that promise more pixels than this, before allocating anything.
inline constexpr qint64 MaxPicturePixels = qint64(1) << 28;
