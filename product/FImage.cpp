#include "FImage.h"

#include "AppShell.h"
#include "Graphics.h"
#include "LxForms.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <exception>

namespace {
constexpr int ImageHelpContext = 2100;
constexpr int MinPictureArea = 64;
constexpr int MaxPictureArea = 1024;

EInvalidGraphic CannotShow(const QString& fileName, const QString& reason) {
    return EInvalidGraphic(QStringLiteral("Cannot show \"%1\". %2").arg(fileName, reason));
}

// Draws the picture centred at its own size, clipped to what each paint exposes, so a large
// picture never costs a second full-size copy.
class TPictureArea : public QLabel {
public:
    TPictureArea(QWidget* parent, const TPicture& picture) : QLabel(parent), FPicture(picture) {}

    // Shows the window's picture anew after it changed.
    void Reset(const QString& fileName) {
        FFileName = fileName;
        FFailed = false;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        Guarded([&] {
            TGraphic* graphic = FPicture.Graphic();
            if (FFailed || !graphic || graphic->Empty())
                return;
            try {
                QPainter canvas(this);
                canvas.setClipRect(event->rect());
                const QSize size(FPicture.Width(), FPicture.Height());
                const QPoint origin((width() - size.width()) / 2, (height() - size.height()) / 2);
                graphic->Draw(canvas, QRect(origin, size));
            } catch (const std::exception& error) {
                // Reported once the paint is over, and drawn no more until the next picture.
                FFailed = true;
                ReportAfterPaint(QString::fromUtf8(error.what()));
            }
        });
    }

private:
    void ReportAfterPaint(const QString& reason) {
        QMetaObject::invokeMethod(
            this, [this, reason] { Guarded([&] { throw CannotShow(FFileName, reason); }); },
            Qt::QueuedConnection);
    }

    const TPicture& FPicture;
    QString FFileName;
    bool FFailed = false;
};

// Decodes what drawing will need, drawing once into a single pixel.
void Decode(TGraphic& graphic) {
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter canvas(&probe);
    graphic.Draw(canvas, QRect(0, 0, graphic.Width(), graphic.Height()));
}
} // namespace

TImageForm::TImageForm(QWidget* parent)
    : QWidget(parent, Qt::Window), imgMain(new TPictureArea(this, FPicture)) {
    setObjectName(QStringLiteral("ImageForm"));
    setWindowTitle(QStringLiteral("Image Viewer"));
    SetHelpContext(this, ImageHelpContext);
    setFont(FormFont(QStringLiteral("Tahoma")));
    imgMain->setObjectName(QStringLiteral("imgMain"));
    imgMain->setAlignment(Qt::AlignCenter);
    resize(449, 415);
}

void TImageForm::SetPicture(const TPicture& picture, const QString& fileName) {
    FPicture.Assign(picture);
    static_cast<TPictureArea*>(imgMain)->Reset(fileName);
    TGraphic* graphic = FPicture.Graphic();
    if (!graphic || graphic->Empty())
        return;
    try {
        Decode(*graphic);
    } catch (const std::exception& error) {
        FPicture.Assign(nullptr);
        throw CannotShow(fileName, QString::fromUtf8(error.what()));
    }
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
