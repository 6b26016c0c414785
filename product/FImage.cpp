#include "FImage.h"

#include "AppShell.h"
#include "Graphics.h"
#include "LxForms.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <algorithm>

namespace {
constexpr int ImageHelpContext = 2100;
constexpr int MinPictureArea = 64;
constexpr int MaxPictureArea = 1024;

// The picture drawn at its own size on a transparent ground; null when empty.
QPixmap Render(const TPicture& picture) {
    TGraphic* graphic = picture.Graphic();
    if (!graphic || graphic->Empty() || picture.Width() <= 0 || picture.Height() <= 0)
        return {};
    QPixmap pixmap(picture.Width(), picture.Height());
    pixmap.fill(Qt::transparent);
    QPainter canvas(&pixmap);
    graphic->Draw(canvas, pixmap.rect());
    return pixmap;
}
} // namespace

TImageForm::TImageForm(QWidget* parent) : QWidget(parent, Qt::Window), imgMain(new QLabel(this)) {
    setObjectName(QStringLiteral("ImageForm"));
    setWindowTitle(QStringLiteral("Image Viewer"));
    SetHelpContext(this, ImageHelpContext);
    setFont(FormFont(QStringLiteral("Tahoma")));
    imgMain->setObjectName(QStringLiteral("imgMain"));
    imgMain->setAlignment(Qt::AlignCenter);
    resize(449, 415);
}

void TImageForm::SetPicture(const TPicture& picture) {
    FPicture.Assign(picture);
    imgMain->setPixmap(Render(FPicture));
}

void TImageForm::keyPressEvent(QKeyEvent* event) {
    Guarded([&] {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            close();
        else
            QWidget::keyPressEvent(event);
    });
}

void TImageForm::resizeEvent(QResizeEvent* event) {
    Guarded([&] {
        const QSize client = event->size();
        imgMain->setGeometry(0, 0, std::clamp(client.width(), MinPictureArea, MaxPictureArea),
                             std::clamp(client.height(), MinPictureArea, MaxPictureArea));
    });
}

void TImageForm::showEvent(QShowEvent* event) {
    Guarded([&] {
        if (!event->spontaneous())
            PlaceAtMainFormCentre(this);
    });
}
