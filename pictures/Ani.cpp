#include "Ani.h"

#include "AniReader.h"
#include "Bitmap.h"

#include <QPainter>

namespace {

// The sixteen colours of a 4-bit display.
QVector<QRgb> StandardPalette16() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// The 16 standard colours, a 6 x 6 x 6 colour cube and a grey ramp: 256 entries.
QVector<QRgb> StandardPalette256() {
    QVector<QRgb> table = StandardPalette16();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.append(qRgb(51 * r, 51 * g, 51 * b));
    for (int i = 1; table.size() < 256; ++i)
        table.append(qRgb(10 * i, 10 * i, 10 * i));
    return table;
}

TDib ReduceColours(const QImage& strip, qint64 colorCount) {
    if (colorCount <= 16)
        return TDib{strip.convertToFormat(QImage::Format_Indexed8, StandardPalette16(),
                                          Qt::ThresholdDither),
                    4};
    if (colorCount <= 256)
        return TDib{strip.convertToFormat(QImage::Format_Indexed8, StandardPalette256(),
                                          Qt::ThresholdDither),
                    8};
    return TDib{strip.convertToFormat(QImage::Format_RGB32), 24};
}

} // namespace

TJvAni::~TJvAni() = default;

int TJvAni::Width() const {
    return FFrames.empty() ? 0 : FFrames[FCurrentFrame]->Icon.Width();
}

int TJvAni::Height() const {
    return FFrames.empty() ? 0 : FFrames[FCurrentFrame]->Icon.Height();
}

void TJvAni::Draw(QPainter& canvas, const QRect& rect) {
    if (FFrames.empty())
        return;
    const TIcon& icon = FFrames[FCurrentFrame]->Icon;
    canvas.drawImage(rect.topLeft(), icon.Dib().Image);
}

void TJvAni::LoadFromBytes(const QByteArray& data) {
    const TAniFile file = ReadAni(data);
    std::vector<std::shared_ptr<TJvIconFrame>> frames;
    for (const QByteArray& bytes : file.Frames) {
        auto frame = std::make_shared<TJvIconFrame>();
        frame->Icon.LoadFrameFromBytes(bytes);
        frames.push_back(std::move(frame));
        emit Progress(int(frames.size() * 100 / file.Frames.size()));
    }
    FFrames = std::move(frames);
    FSequence = file.Sequence;
    FRates = file.Rates;
    FCurrentFrame = FSequence.isEmpty() ? 0 : FSequence.first();
    FColorCount = std::max<qint64>(file.ColorCount, 16);
    FTitle = file.Title;
    FAuthor = file.Author;
    emit Changed();
}

void TJvAni::AssignTo(TBitmap& dest) {
    if (FFrames.empty()) {
        dest.AssignFromDib(TDib{});
        return;
    }
    const QImage& first = FFrames.front()->Icon.Dib().Image;
    if (qint64(first.width()) * FrameCount() * first.height() > MaxPicturePixels)
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    QImage strip(first.width() * FrameCount(), first.height(), QImage::Format_RGB32);
    strip.fill(dest.BrushColor());
    QPainter painter(&strip);
    for (int step = 0; step < FSequence.size(); ++step)
        painter.drawImage(QPoint(step * first.width(), 0),
                          FFrames[FSequence[step]]->Icon.Dib().Image);
    painter.end();
    dest.AssignFromDib(ReduceColours(strip, FColorCount));
}

void TJvAni::Assign(TGraphic& source) {
    auto* ani = qobject_cast<TJvAni*>(&source);
    if (!ani) {
        TGraphic::Assign(source); // raises EConvertError
        return;
    }
    FFrames = ani->FFrames;
    FSequence = ani->FSequence;
    FRates = ani->FRates;
    FCurrentFrame = ani->FCurrentFrame;
    FColorCount = ani->FColorCount;
    FTitle = ani->FTitle;
    FAuthor = ani->FAuthor;
    emit Changed();
}
