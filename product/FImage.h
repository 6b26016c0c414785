#pragma once
// The image viewer window: one picture at its own size, centred, cut off by the window when
// larger. Closing it (Escape too) only hides it. The main window adds its wallpaper commands to
// it, so that their keys work here as well.

#include "Picture.h"

#include <QWidget>

class QLabel;

class TImageForm : public QWidget {
    Q_OBJECT
public:
    // The window, hidden and empty, 449 × 415.
    explicit TImageForm(QWidget* parent = nullptr);

    // The picture area: the client area, limited to 64…1024 pixels each way, at the top left.
    // It paints only the part of the picture a paint exposes, from the one decoded copy the
    // window's picture keeps.
    QLabel* imgMain;

    // The window's own copy of the picture it shows.
    const TPicture& Picture() const { return FPicture; }
    // Shows a copy of the picture read from fileName (an empty one clears the area), decoding
    // it now. The picture's copy errors pass through, the window unchanged; a picture that
    // cannot be decoded or held raises EInvalidGraphic "Cannot show \"%s\". %s" (fileName, the
    // reader's message) and leaves the window empty.
    void SetPicture(const TPicture& picture, const QString& fileName = QString());

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TPicture FPicture;
};
