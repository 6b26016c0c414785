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
    QLabel* imgMain;

    // The window's own copy of the picture it shows.
    const TPicture& Picture() const { return FPicture; }
    // Shows a copy of the picture (an empty one clears the area); the picture's copy errors
    // pass through, the window unchanged.
    void SetPicture(const TPicture& picture);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TPicture FPicture;
};
