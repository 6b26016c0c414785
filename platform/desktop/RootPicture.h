#pragma once
// The picture laid out over a whole screen in one of the three styles, as the root window shows it.

#include <QImage>
#include <QSize>

// A screen-sized RGB32 image: the picture repeated from the top-left corner (wsTiled), drawn
// once in the middle on black and cropped when larger (wsCentered, also for any code outside
// 0..2), or scaled to the whole screen (wsStretched).
QImage RenderRootPicture(const QImage& picture, const QSize& screen, int style);
