// SVG and svgz documents through librsvg: the declared size (or the default width), colours
// as rsvg-convert draws them, alpha, thumbnails at the cell's size, damaged documents.
#include "Bitmap.h"
#include "FormatTools.h"
#include "Graphics.h"
#include "PngReader.h"
#include "Svg.h"
#include "SvgReader.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), White = qRgb(255, 255, 255);

// A document whose left half is red and right half blue, in a 40 x 20 view box.
QByteArray Halves(const QByteArray& sizeAttributes) {
    return "<svg xmlns='http://www.w3.org/2000/svg' " + sizeAttributes +
           " viewBox='0 0 40 20'><rect width='20' height='20' fill='red'/>"
           "<rect x='20' width='20' height='20' fill='blue'/></svg>";
}

QByteArray Gzipped(const QByteArray& bytes) {
    return RunFormatTool(QStringLiteral("gzip"), {QStringLiteral("-c")}, bytes);
}

} // namespace

TEST(SvgFormat, SizeIsTheDeclaredOneOrTheDefaultWidth) {
    const struct {
        QByteArray Document;
        QSize Size;
    } cases[] = {
        {Halves("width='40' height='20'"), {40, 20}},
        {Halves("width='40.2px' height='19.5'"), {41, 20}},
        {Halves("width='1in' height='0.5in'"), {96, 48}},
        {Halves(""), {1920, 960}},
        {Halves("width='100%' height='100%'"), {1920, 960}},
        {"<svg xmlns='http://www.w3.org/2000/svg'><circle r='5'/></svg>", {1920, 1920}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Document.toStdString());
        EXPECT_EQ(ReadSvgSize(c.Document), c.Size);
        EXPECT_EQ(ReadSvgSize(Gzipped(c.Document)), c.Size);
    }
}

TEST(SvgFormat, ConvertsAtItsDeclaredSizeAsRsvgConvertDraws) {
    const QByteArray document = Halves("width='40' height='20'");
    for (const QByteArray& bytes : {document, Gzipped(document)}) {
        TSvgImage svg;
        ASSERT_EQ(LoadError(svg, bytes), "no error");
        EXPECT_EQ(QSize(svg.Width(), svg.Height()), QSize(40, 20));
        TBitmap bitmap;
        svg.AssignTo(bitmap);
        EXPECT_EQ(bitmap.BitsPerPixel(), 24);
        const QImage ours = bitmap.Dib().Image;
        ASSERT_EQ(ours.size(), QSize(40, 20));
        EXPECT_EQ(ours.pixel(5, 10), Red);
        EXPECT_EQ(ours.pixel(35, 10), Blue);
        const QImage theirs =
            DecodePng(RunFormatTool(QStringLiteral("rsvg-convert"), {}, bytes)).Image;
        EXPECT_EQ(ours, OverBackground(theirs, Qt::white));
    }
}

TEST(SvgFormat, TransparentPartsShowTheBackground) {
    TSvgImage svg;
    svg.LoadFromBytes("<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
                      "<rect width='10' height='10' fill='red' fill-opacity='0.5'/></svg>");
    QImage canvas(20, 10, QImage::Format_RGB32);
    canvas.fill(Blue);
    QPainter painter(&canvas);
    svg.Draw(painter, canvas.rect());
    painter.end();
    const QRgb half = canvas.pixel(5, 5);
    EXPECT_NEAR(qRed(half), 128, 2);
    EXPECT_NEAR(qBlue(half), 127, 2);
    EXPECT_EQ(canvas.pixel(15, 5), Blue);
    TBitmap bitmap;
    svg.AssignTo(bitmap);
    EXPECT_EQ(bitmap.Dib().Image.pixel(15, 5), White);
}

TEST(SvgFormat, ThumbnailsAreRenderedAtTheCellsSizeLargerOrSmaller) {
    const struct {
        QByteArray Document;
        QSize Box, Image;
    } cases[] = {
        {Halves("width='40' height='20'"), {200, 200}, {200, 100}},
        {Halves("width='4000' height='2000'"), {100, 100}, {100, 50}},
        {Halves(""), {96, 96}, {96, 48}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Document.toStdString());
        QByteArray bytes = c.Document;
        QBuffer file(&bytes);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        TSvgImage svg;
        const TThumbnailImage thumbnail = svg.ReadThumbnail(file, c.Box);
        EXPECT_EQ(thumbnail.PictureSize, ReadSvgSize(c.Document));
        ASSERT_EQ(thumbnail.Image.size(), c.Image);
        EXPECT_EQ(thumbnail.Image.pixel(c.Image.width() / 4, c.Image.height() / 2), Red);
        EXPECT_EQ(thumbnail.Image.pixel(c.Image.width() * 3 / 4, c.Image.height() / 2), Blue);
    }
}

TEST(SvgFormat, DamagedOrOversizedDocumentsGiveACleanMessageAndKeepTheOldOne) {
    const QByteArray good = Halves("width='40' height='20'");
    const QByteArray zipped = Gzipped(good);
    const struct {
        QByteArray Bytes;
        const char* Error;
    } cases[] = {
        {QByteArray(), "EInvalidGraphic: SVG image is not valid"},
        {good.left(good.size() / 2), "EInvalidGraphic: SVG image is not valid"},
        {zipped.left(zipped.size() / 2), "EInvalidGraphic: SVG image is not valid"},
        {"<html><body/></html>", "EInvalidGraphic: SVG image is not valid"},
        {QByteArray(300, '\xff'), "EInvalidGraphic: SVG image is not valid"},
        {Halves("width='100000' height='50000'"),
         "EInvalidGraphic: SVG image is too large (100000 x 50000 pixels)"},
        {Halves("width='40000' height='10'"),
         "EInvalidGraphic: SVG image is too large (40000 x 10 pixels)"},
    };
    TSvgImage svg;
    svg.LoadFromBytes(good);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes.left(60).toStdString());
        EXPECT_EQ(LoadError(svg, c.Bytes), c.Error);
        EXPECT_EQ(QSize(svg.Width(), svg.Height()), QSize(40, 20));
    }
}
