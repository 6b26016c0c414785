// velloria-samples FOLDER: writes one sample picture of each format Velloria reads into FOLDER,
// each a small scene of its own with its format's name on it, so that a newcomer who runs the
// program without pictures of their own sees thumbnails at once. Prints one line.

#include "BmpWriter.h"
#include "GifSamples.h"
#include "JpegSamples.h"
#include "LibrarySamples.h"
#include "MetafileWriter.h"
#include "SampleFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstring>

#include <tiffio.h>
#include <webp/encode.h>

namespace {
enum : quint32 {
    EMR_SELECTOBJECT = 37,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    NullPen = 0x80000008
};
enum : quint16 {
    META_SELECTOBJECT = 0x012D,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_DELETEOBJECT = 0x01F0,
    META_ELLIPSE = 0x0418
};

void Caption(QPainter& painter, const QRect& box, const QString& text, int pixelSize) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(20, 20, 40));
    painter.drawText(box.translated(2, 2), Qt::AlignCenter, text);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

// A harbour at sunset: sky, sun, sea and a sail.
QImage Harbour() {
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 380);
    sky.setColorAt(0, QColor(40, 60, 160));
    sky.setColorAt(1, QColor(250, 150, 80));
    painter.fillRect(0, 0, 800, 380, sky);
    painter.setBrush(QColor(255, 220, 90));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(560, 330), 90, 90);
    QLinearGradient sea(0, 380, 0, 600);
    sea.setColorAt(0, QColor(30, 90, 150));
    sea.setColorAt(1, QColor(10, 30, 70));
    painter.fillRect(0, 380, 800, 220, sea);
    painter.setBrush(QColor(120, 70, 40));
    painter.drawRect(180, 430, 200, 40);
    painter.setBrush(QColor(245, 245, 235));
    painter.drawPolygon(QPolygon({QPoint(280, 250), QPoint(280, 425), QPoint(370, 425)}));
    Caption(painter, QRect(0, 480, 800, 110), QStringLiteral("JPEG"), 80);
    return image;
}

// Rainbow bands across the picture.
QImage Rainbow() {
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int band = 0; band < 16; ++band)
        painter.fillRect(band * 40, 0, 40, 480, QColor::fromHsv(band * 360 / 16, 200, 240));
    Caption(painter, image.rect(), QStringLiteral("BMP"), 120);
    return image;
}

// A hot-air balloon in a pale sky, with few colours as a GIF has.
QImage Balloon() {
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(170, 215, 245));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor stripes[] = {Qt::red, QColor(255, 200, 0), Qt::red, QColor(255, 200, 0)};
    for (int stripe = 0; stripe < 4; ++stripe) {
        painter.setBrush(stripes[stripe]);
        painter.drawChord(QRect(110 + stripe * 12, 20, 100 - stripe * 24, 120), 0, 5760);
    }
    painter.setBrush(QColor(120, 80, 40));
    painter.drawRect(148, 160, 24, 18);
    painter.setPen(QPen(QColor(80, 60, 40), 2));
    painter.drawLine(125, 120, 150, 160);
    painter.drawLine(195, 120, 170, 160);
    Caption(painter, QRect(0, 180, 320, 60), QStringLiteral("GIF"), 44);
    return image;
}

// Green hills under a blue sky, for the formats the Debian encoders write.
QImage Meadow(const QString& caption) {
    QImage image(480, 320, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(image.rect(), QColor(110, 170, 235));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 150, 60));
    painter.drawEllipse(QPoint(120, 420), 300, 200);
    painter.setBrush(QColor(40, 110, 40));
    painter.drawEllipse(QPoint(400, 440), 260, 200);
    Caption(painter, QRect(0, 20, 480, 100), caption, 60);
    return image;
}

QByteArray GifOf(const QImage& image) {
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QList<QRgb> table = indexed.colorTable();
    int entries = 2;
    while (entries < table.size())
        entries *= 2;
    table.resize(entries, qRgb(0, 0, 0));
    TGifSampleFrame frame;
    frame.Width = indexed.width();
    frame.Height = indexed.height();
    for (int y = 0; y < indexed.height(); ++y)
        frame.Indexes.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), frame.Width);
    TGifSampleWriter writer(frame.Width, frame.Height, table);
    writer.AddFrame(frame);
    return writer.Bytes();
}

// A flower with a transparent background, for the icon formats.
QImage Flower(int size, qreal turn) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.translate(size / 2.0, size / 2.0);
    painter.rotate(turn);
    painter.setBrush(QColor(230, 60, 140));
    for (int petal = 0; petal < 6; ++petal) {
        painter.drawEllipse(QPointF(0, -size * 0.27), size * 0.14, size * 0.22);
        painter.rotate(60);
    }
    painter.setBrush(QColor(255, 210, 40));
    painter.drawEllipse(QPointF(0, 0), size * 0.15, size * 0.15);
    return image;
}

// A house under a sun, as rectangles and ellipses.
QByteArray HouseMetafile() {
    TEmfWriter emf(QRect(0, 0, 16000, 12000), QSize(1600, 1200), QSize(400, 300));
    auto fill = [&emf](int handle, quint32 colour) {
        emf.Record(EMR_CREATEBRUSHINDIRECT, {handle, 0, colour, 0})
            .Record(EMR_SELECTOBJECT, {handle})
            .Record(EMR_SELECTOBJECT, {NullPen});
    };
    fill(1, ColorRef(150, 200, 250));
    emf.Record(EMR_RECTANGLE, {0, 0, 640, 480});
    fill(2, ColorRef(90, 170, 70));
    emf.Record(EMR_RECTANGLE, {0, 360, 640, 480});
    fill(3, ColorRef(255, 210, 60));
    emf.Record(EMR_ELLIPSE, {480, 40, 580, 140});
    fill(4, ColorRef(200, 80, 60));
    emf.Record(EMR_RECTANGLE, {200, 220, 420, 380});
    fill(5, ColorRef(90, 60, 40));
    emf.Record(EMR_RECTANGLE, {290, 300, 330, 380});
    return emf.Bytes();
}

// A target of rings in two colours.
QByteArray TargetMetafile() {
    TWmfWriter wmf(QRect(0, 0, 1000, 1000), 400);
    wmf.Record(META_CREATEPENINDIRECT, {5, 0, 0, 0, 0}).Record(META_SELECTOBJECT, {0});
    for (int ring = 0; ring < 5; ++ring) {
        const quint32 colour = ring % 2 == 0 ? ColorRef(220, 30, 30) : ColorRef(250, 250, 250);
        const int inset = ring * 100;
        wmf.Record(META_CREATEBRUSHINDIRECT, {0, int(colour & 0xFFFF), int(colour >> 16), 0})
            .Record(META_SELECTOBJECT, {1})
            .Record(META_ELLIPSE, {1000 - inset, 1000 - inset, inset, inset})
            .Record(META_DELETEOBJECT, {1});
    }
    return wmf.Bytes();
}

QByteArray BmpOf(const QImage& image) {
    TDib dib;
    dib.Image = image.convertToFormat(QImage::Format_RGB32);
    dib.BitsPerPixel = 24;
    return WriteBmp(dib);
}

QByteArray IconOf(const QImage& image) {
    return IcoFile({{image.width(), image.height(), 32, IconDib32(image)}});
}

QByteArray PngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray WebpOf(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    uint8_t* output = nullptr;
    const size_t size = WebPEncodeLosslessBGRA(image.constBits(), image.width(), image.height(),
                                               int(image.bytesPerLine()), &output);
    QByteArray bytes(reinterpret_cast<const char*>(output), qsizetype(size));
    WebPFree(output);
    return bytes;
}

// libtiff writes to a file only; the sample is read back from a temporary one.
QByteArray TiffOf(const QImage& source, const QDir& folder) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const QString name = folder.filePath(QStringLiteral(".tiff-sample"));
    TIFF* tiff = TIFFOpen(QFile::encodeName(name).constData(), "w");
    if (!tiff)
        return {};
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_LZW));
    for (int y = 0; y < image.height(); ++y)
        TIFFWriteScanline(tiff, const_cast<uchar*>(image.constScanLine(y)), uint32_t(y), 0);
    TIFFClose(tiff);
    QFile file(name);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.remove();
    return bytes;
}

QByteArray HillsSvg() {
    return "<svg xmlns='http://www.w3.org/2000/svg' width='400' height='300'>"
           "<rect width='400' height='300' fill='#8ecae6'/>"
           "<circle cx='320' cy='70' r='40' fill='#ffb703'/>"
           "<path d='M0 220 Q100 140 200 220 T400 210 V300 H0 Z' fill='#2a9d8f'/>"
           "<text x='20' y='40' font-family='sans-serif' font-size='28' fill='#023047'>SVG</text>"
           "</svg>";
}

bool Write(const QDir& folder, const QString& name, const QByteArray& bytes) {
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    std::fprintf(stderr, "velloria-samples: %s: %s\n", qPrintable(file.fileName()),
                 qPrintable(file.errorString()));
    return false;
}

const char* const Usage = "Usage: velloria-samples [--] FOLDER\n";

// The folder argument, or null when the command line is not one: a word beginning with "-" is an
// option, and this program knows only --help, so "velloria-samples -h" makes no folder "-h".
// A folder whose name begins with "-" follows "--".
const char* FolderArgument(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--") == 0)
        return argv[2];
    if (argc == 2 && argv[1][0] != '-')
        return argv[1];
    return nullptr;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(Usage, stdout);
        return 0;
    }
    const char* folderName = FolderArgument(argc, argv);
    if (!folderName) {
        std::fputs(Usage, stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(folderName));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "velloria-samples: cannot make the folder %s\n", folderName);
        return 1;
    }
    QList<QPair<QString, QByteArray>> samples = {
        {QStringLiteral("harbour.jpg"), MakeJpeg(Harbour(), TJpegSampleKind::Colour, 90)},
        {QStringLiteral("rainbow.bmp"), BmpOf(Rainbow())},
        {QStringLiteral("balloon.gif"), GifOf(Balloon())},
        {QStringLiteral("flower.ico"), IconOf(Flower(48, 0))},
        {QStringLiteral("spinning-flower.ani"),
         AniFile({IconOf(Flower(32, 0)), IconOf(Flower(32, 20)), IconOf(Flower(32, 40))})},
        {QStringLiteral("house.emf"), HouseMetafile()},
        {QStringLiteral("target.wmf"), TargetMetafile()},
        {QStringLiteral("flower.png"), PngOf(Flower(64, 10))},
        {QStringLiteral("balloon.webp"), WebpOf(Balloon())},
        {QStringLiteral("rainbow.tif"), TiffOf(Rainbow(), folder)},
        {QStringLiteral("hills.svg"), HillsSvg()},
    };
    const QList<QPair<QString, QByteArray>> encoded = {
        {QStringLiteral("meadow.jxl"),
         MakeLibrarySample(TLibraryFormat::Jxl, {Meadow(QStringLiteral("JPEG XL"))}, false)},
        {QStringLiteral("petals.avif"), MakeLibrarySample(TLibraryFormat::Avif, {Flower(256, 15)})},
        {QStringLiteral("hills.heic"),
         MakeLibrarySample(TLibraryFormat::Heif, {Meadow(QStringLiteral("HEIC"))}, false)},
    };
    samples += encoded;
    for (const auto& [name, bytes] : samples)
        if (bytes.isEmpty() || !Write(folder, name, bytes))
            return 1;
    std::printf("%s: %lld sample pictures\n", qPrintable(folder.absolutePath()),
                qlonglong(samples.size()));
    return 0;
}
