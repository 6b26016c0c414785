#include "MetafileText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal DefaultFontHeight = 12; // logical units, for a height of 0

QFont MakeFont(const TLogFont& logFont, qreal scale, qreal maxPixels) {
    QFont font(logFont.Face.isEmpty() ? QStringLiteral("Liberation Sans") : logFont.Face);
    font.setItalic(logFont.Italic);
    font.setUnderline(logFont.Underline);
    font.setStrikeOut(logFont.StrikeOut);
    if (logFont.Weight > 0)
        font.setWeight(QFont::Weight(qBound(1, logFont.Weight, 1000)));
    const qreal height = logFont.Height == 0 ? DefaultFontHeight : std::abs(qreal(logFont.Height));
    const qreal pixels = qBound<qreal>(1, height * scale, qMax<qreal>(1, maxPixels));
    font.setPixelSize(qMax(1, int(std::lround(pixels))));
    if (logFont.Height > 0) {
        // A positive height is the whole cell; the font's own size is the character height.
        const QFontMetricsF metrics(font);
        const qreal cell = metrics.ascent() + metrics.descent();
        if (cell > 0)
            font.setPixelSize(qMax(1, int(std::lround(pixels * pixels / cell))));
    }
    return font;
}

} // namespace

qreal DrawMetafileText(QPainter& painter, const TTextRun& run) {
    const QFont font = MakeFont(run.Font, run.Scale, run.MaxPixels);
    const QFontMetricsF metrics(font);
    qreal width = 0;
    if (run.Advances.isEmpty()) {
        width = metrics.horizontalAdvance(run.Text);
    } else {
        for (qreal advance : run.Advances)
            width += advance;
    }

    qreal left = 0;
    const quint32 horizontal = run.Align & TA_CENTER;
    if (horizontal == TA_CENTER)
        left = -width / 2;
    else if (horizontal == TA_RIGHT)
        left = -width;
    qreal baseline = metrics.ascent();
    const quint32 vertical = run.Align & TA_BASELINE;
    if (vertical == TA_BASELINE)
        baseline = 0;
    else if (vertical == TA_BOTTOM)
        baseline = -metrics.descent();

    painter.save();
    painter.translate(run.Origin);
    painter.rotate(-run.Font.Escapement / 10.0);
    if (run.Opaque)
        painter.fillRect(QRectF(left, baseline - metrics.ascent(), width, metrics.height()),
                         run.Background);
    painter.setFont(font);
    painter.setPen(run.Color);
    if (run.Advances.isEmpty()) {
        painter.drawText(QPointF(left, baseline), run.Text);
    } else {
        qreal x = left;
        for (qsizetype i = 0; i < run.Text.size() && i < run.Advances.size(); ++i) {
            painter.drawText(QPointF(x, baseline), QString(run.Text.at(i)));
            x += run.Advances.at(i);
        }
    }
    painter.restore();
    return width;
}
