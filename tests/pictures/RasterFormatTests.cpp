// The PNG, WebP and TIFF readers and their picture classes, on files written by each format's
// own Debian tools and compared with what those tools' decoders read back: colours, alpha over
// a background, thumbnail sizes, an animation's first frame, TIFF orientation, damaged files,
// and reads on several threads at once (SVG among them).
#include "Bitmap.h"
#include "FormatTools.h"
#include "LibrarySamples.h"
#include "Png.h"
#include "PngReader.h"
#include "Svg.h"
#include "Tiff.h"
#include "TiffReader.h"
#include "Webp.h"
#include "WebpReader.h"

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tiffio.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255);

QByteArray ToPng(const QImage& image) {
    return RunFormatTool(QStringLiteral("pamtopng"), {}, Pam(image));
}

// cwebp reads files only; the PNG it reads is netpbm's.
QByteArray ToWebp(const QImage& image, const QStringList& options = {"-lossless"}) {
    QTemporaryDir dir;
    QFile png(dir.filePath(QStringLiteral("in.png")));
    EXPECT_TRUE(png.open(QIODevice::WriteOnly));
    png.write(ToPng(image));
    png.close();
    const QString out = dir.filePath(QStringLiteral("out.webp"));
    RunFormatTool(QStringLiteral("cwebp"), QStringList(options)
                                               << QStringLiteral("-quiet") << png.fileName()
                                               << QStringLiteral("-o") << out);
    QFile webp(out);
    return webp.open(QIODevice::ReadOnly) ? webp.readAll() : QByteArray();
}

QByteArray ToTiff(const QImage& image) {
    return RunFormatTool(QStringLiteral("pamtotiff"), {}, Pam(image));
}

// A TIFF written by libtiff with image as its raster (first stored row first), the
// orientation tag, and unassociated alpha when image has alpha (pamtotiff drops alpha).
QByteArray LibtiffFile(const QImage& image, int orientation = ORIENTATION_TOPLEFT) {
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.filePath(QStringLiteral("o.tif")));
    TIFF* tiff = TIFFOpen(name.constData(), "w");
    EXPECT_NE(tiff, nullptr);
    const bool alpha = image.hasAlphaChannel();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(alpha ? 4 : 3));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(orientation));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(1));
    if (alpha) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
    }
    for (int y = 0; y < image.height(); ++y) {
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row.append(char(qRed(p))).append(char(qGreen(p))).append(char(qBlue(p)));
            if (alpha)
                row.append(char(qAlpha(p)));
        }
        TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0);
    }
    TIFFClose(tiff);
    QFile file(QFile::decodeName(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A PNG chunk's checksum (over type and data), big-endian.
QByteArray Crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    const char out[4] = {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
    return QByteArray(out, 4);
}

struct TRasterFormat {
    const char* Name;
    std::function<QByteArray(const QImage&)> Encode;
    std::function<std::unique_ptr<TGraphic>()> NewGraphic;
    QString Invalid;
    // The format's own decoder, writing a PPM on its standard output.
    QString Decoder;
    QStringList DecoderArgs;
};

const QList<TRasterFormat>& Formats() {
    static const QList<TRasterFormat> formats = {
        {"PNG",
         [](const QImage& i) { return ToPng(i); },
         [] { return std::make_unique<TPngImage>(); },
         QStringLiteral("PNG image is not valid"),
         QStringLiteral("pngtopnm"),
         {}},
        {"WebP",
         [](const QImage& i) { return ToWebp(i); },
         [] { return std::make_unique<TWebPImage>(); },
         QStringLiteral("WebP image is not valid"),
         QStringLiteral("dwebp"),
         {QStringLiteral("-quiet"), QStringLiteral("-ppm")}},
        {"TIFF",
         [](const QImage& i) { return i.hasAlphaChannel() ? LibtiffFile(i) : ToTiff(i); },
         [] { return std::make_unique<TTiffImage>(); },
         QStringLiteral("TIFF image is not valid"),
         QStringLiteral("tifftopnm"),
         {}},
    };
    return formats;
}

QImage Converted(TGraphic& graphic) {
    TBitmap bitmap;
    graphic.AssignTo(bitmap);
    EXPECT_EQ(bitmap.BitsPerPixel(), 24);
    return bitmap.Dib().Image;
}

// dwebp takes a file name, the netpbm decoders their standard input.
QImage SecondDecoding(const TRasterFormat& format, const QByteArray& bytes) {
    if (format.Decoder != QStringLiteral("dwebp"))
        return FromPpm(RunFormatTool(format.Decoder, format.DecoderArgs, bytes));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("in.webp")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    return FromPpm(RunFormatTool(format.Decoder, QStringList(format.DecoderArgs)
                                                     << file.fileName() << QStringLiteral("-o")
                                                     << QStringLiteral("-")));
}

QImage DrawnOver(TGraphic& graphic, QRgb background, const QSize& size) {
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    graphic.Draw(painter, canvas.rect());
    return canvas;
}

void ExpectNear(QRgb actual, QRgb expected, int tolerance) {
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance);
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance);
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance);
}

} // namespace

TEST(RasterFormats, DecodeWhatTheirToolsWroteAsTheToolsReadIt) {
    const QImage picture = QuarterColours(40, 24);
    for (const TRasterFormat& format : Formats()) {
        SCOPED_TRACE(format.Name);
        const QByteArray bytes = format.Encode(picture);
        auto graphic = format.NewGraphic();
        ASSERT_EQ(LoadError(*graphic, bytes), "no error");
        EXPECT_EQ(QSize(graphic->Width(), graphic->Height()), QSize(40, 24));
        const QImage converted = Converted(*graphic);
        EXPECT_EQ(converted.pixel(5, 5), Red);
        EXPECT_EQ(converted.pixel(35, 5), Green);
        EXPECT_EQ(converted.pixel(5, 20), Blue);
        EXPECT_EQ(converted.pixel(35, 20), White);
        EXPECT_EQ(converted, SecondDecoding(format, bytes).convertToFormat(QImage::Format_RGB32));
    }
}

TEST(RasterFormats, LossyWebpMatchesDwebp) {
    const QByteArray bytes = ToWebp(QuarterColours(64, 64), {"-q", "80"});
    TWebPImage webp;
    webp.LoadFromBytes(bytes);
    const QImage ours = Converted(webp);
    const QImage theirs = SecondDecoding(Formats()[1], bytes);
    ASSERT_EQ(ours.size(), theirs.size());
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 64; x += 7)
            ExpectNear(ours.pixel(x, y), theirs.pixel(x, y), 2);
    ExpectNear(ours.pixel(16, 16), Red, 24);
}

TEST(RasterFormats, AlphaIsDrawnOverTheBackgroundAndConvertedOverWhite) {
    for (const TRasterFormat& format : Formats()) {
        SCOPED_TRACE(format.Name);
        auto graphic = format.NewGraphic();
        graphic->LoadFromBytes(format.Encode(HalfTransparentPicture()));
        const QImage drawn = DrawnOver(*graphic, Blue, QSize(32, 32));
        EXPECT_EQ(drawn.pixel(4, 4), Red);
        ExpectNear(drawn.pixel(24, 4), qRgb(128, 0, 127), 2);
        EXPECT_EQ(drawn.pixel(4, 31), Blue);
        const QImage converted = Converted(*graphic);
        EXPECT_EQ(converted.pixel(4, 4), Red);
        ExpectNear(converted.pixel(24, 4), qRgb(255, 127, 127), 2);
        EXPECT_EQ(converted.pixel(4, 31), White);
    }
}

TEST(RasterFormats, ThumbnailsAreThePictureFittedIntoTheBoxNeverEnlarged) {
    struct TCase {
        QSize Picture, Box, Image;
    } cases[] = {
        {{400, 300}, {100, 100}, {100, 75}},
        {{300, 400}, {100, 100}, {75, 100}},
        {{32, 24}, {100, 100}, {32, 24}},
        {{1000, 2}, {100, 100}, {100, 1}},
    };
    for (const TRasterFormat& format : Formats())
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(format.Name) + " " + std::to_string(c.Picture.width()));
            QByteArray bytes = format.Encode(QuarterColours(c.Picture.width(), c.Picture.height()));
            QBuffer file(&bytes);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const TThumbnailImage thumbnail = format.NewGraphic()->ReadThumbnail(file, c.Box);
            EXPECT_EQ(thumbnail.PictureSize, c.Picture);
            EXPECT_EQ(thumbnail.Image.size(), c.Image);
            const QImage& image = thumbnail.Image;
            if (c.Image.height() > 20) {
                ExpectNear(image.pixel(image.width() / 4, image.height() / 4), Red, 8);
                ExpectNear(image.pixel(image.width() * 3 / 4, image.height() * 3 / 4), White, 8);
            }
        }
}

TEST(RasterFormats, DamagedAndTruncatedFilesGiveTheFormatsMessageAndKeepTheOldPicture) {
    for (const TRasterFormat& format : Formats()) {
        SCOPED_TRACE(format.Name);
        const QByteArray good = format.Encode(QuarterColours(64, 48));
        auto graphic = format.NewGraphic();
        graphic->LoadFromBytes(good);
        QByteArray garbled = good;
        for (qsizetype i = garbled.size() / 3; i < garbled.size() * 2 / 3; ++i)
            garbled[i] = char(i * 37);
        const QByteArray damaged[] = {QByteArray(),
                                      good.left(8),
                                      good.left(good.size() / 2),
                                      good.left(good.size() / 3),
                                      garbled,
                                      QByteArray(200, '\xff')};
        for (const QByteArray& bytes : damaged) {
            SCOPED_TRACE(bytes.size());
            EXPECT_EQ(LoadError(*graphic, bytes),
                      "EInvalidGraphic: " + format.Invalid.toStdString());
            EXPECT_EQ(QSize(graphic->Width(), graphic->Height()), QSize(64, 48));
        }
    }
}

TEST(RasterFormats, AssignSharesOnlyWithTheSameClass) {
    TPngImage png, other;
    png.LoadFromBytes(ToPng(QuarterColours(32, 32)));
    other.Assign(png);
    EXPECT_EQ(other.Dib().Image.constBits(), png.Dib().Image.constBits());
    TTiffImage tiff;
    try {
        tiff.Assign(png);
        ADD_FAILURE() << "a PNG was assigned to a TIFF";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a TPngImage to a TTiffImage"));
    }
}

TEST(WebpFormat, AnAnimationShowsItsFirstFrame) {
    QTemporaryDir dir;
    QStringList args{QStringLiteral("-lossless")};
    const QRgb frames[] = {Green, Blue, Red};
    for (int i = 0; i < 3; ++i) {
        QImage frame(24, 16, QImage::Format_RGB32);
        frame.fill(frames[i]);
        QFile file(dir.filePath(QStringLiteral("frame%1.png").arg(i)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ToPng(frame));
        args << QStringLiteral("-d") << QStringLiteral("100") << file.fileName();
    }
    const QString out = dir.filePath(QStringLiteral("anim.webp"));
    RunFormatTool(QStringLiteral("img2webp"), args << QStringLiteral("-o") << out);
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    TWebPImage webp;
    webp.LoadFromBytes(bytes);
    EXPECT_EQ(QSize(webp.Width(), webp.Height()), QSize(24, 16));
    EXPECT_EQ(Converted(webp).pixel(12, 8), Green);
    QBuffer buffer;
    buffer.setData(bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const TThumbnailImage thumbnail = webp.ReadThumbnail(buffer, QSize(12, 12));
    EXPECT_EQ(thumbnail.PictureSize, QSize(24, 16));
    EXPECT_EQ(thumbnail.Image.size(), QSize(12, 8));
    ExpectNear(thumbnail.Image.pixel(6, 4), Green, 2);
}

TEST(TiffFormat, EveryOrientationIsShownUpright) {
    // The stored pixel at (row, column) shows at the place the tag names for the 0th row and
    // 0th column: e.g. 6 (right, top) puts stored row r at shown column width-1-r.
    struct TCase {
        int Orientation;
        std::function<QPoint(int row, int column, QSize shown)> Place;
    } cases[] = {
        {1, [](int r, int c, QSize) { return QPoint(c, r); }},
        {2, [](int r, int c, QSize s) { return QPoint(s.width() - 1 - c, r); }},
        {3, [](int r, int c, QSize s) { return QPoint(s.width() - 1 - c, s.height() - 1 - r); }},
        {4, [](int r, int c, QSize s) { return QPoint(c, s.height() - 1 - r); }},
        {5, [](int r, int c, QSize) { return QPoint(r, c); }},
        {6, [](int r, int c, QSize s) { return QPoint(s.width() - 1 - r, c); }},
        {7, [](int r, int c, QSize s) { return QPoint(s.width() - 1 - r, s.height() - 1 - c); }},
        {8, [](int r, int c, QSize s) { return QPoint(r, s.height() - 1 - c); }},
    };
    QImage stored(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            stored.setPixel(x, y, qRgb(40 * x + 10, 100 * y + 20, 200));
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Orientation);
        const QByteArray bytes = LibtiffFile(stored, c.Orientation);
        const QSize shown = c.Orientation >= 5 ? QSize(2, 3) : QSize(3, 2);
        EXPECT_EQ(ReadTiffSize(bytes), shown);
        const QImage upright = DecodeTiff(bytes).Image;
        ASSERT_EQ(upright.size(), shown);
        for (int r = 0; r < 2; ++r)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(upright.pixel(c.Place(r, col, shown)), stored.pixel(col, r))
                    << "stored row " << r << " column " << col;
    }
}

TEST(RasterFormats, HeadersPromisingTooManyPixelsAreRefusedBeforeDecoding) {
    // 20000 x 20000 is past the pixel limit; each file holds only its header's promise.
    QByteArray png = ToPng(QuarterColours(2, 2));
    png.replace(16, 8, QByteArray::fromHex("00004e2000004e20"));
    png.replace(29, 4, Crc32(png.mid(12, 17)));
    EXPECT_EQ(LoadError(*Formats()[0].NewGraphic(), png),
              "EInvalidGraphic: PNG image is too large (20000 x 20000 pixels)");
    TTiffImage tiff;
    QImage wide(20000, 1, QImage::Format_RGB32);
    wide.fill(Red);
    QByteArray bytes = ToTiff(wide);
    // The width and height tags of a pamtotiff file: patch the height to 20000 rows.
    const QByteArray heightTag = QByteArray::fromHex("010103000100000001000000");
    const qsizetype at = bytes.indexOf(heightTag);
    ASSERT_GE(at, 0);
    bytes.replace(at + 8, 4, QByteArray::fromHex("204e0000"));
    EXPECT_EQ(LoadError(tiff, bytes),
              "EInvalidGraphic: TIFF image is too large (20000 x 20000 pixels)");
}

TEST(RasterFormats, ThumbnailsReadOnSeveralThreadsAtOnceAgreeWithOneRead) {
    // The viewer's workers read cells in parallel, each on a graphic made on its own thread.
    struct TSample {
        QByteArray Bytes;
        std::function<std::unique_ptr<TGraphic>()> NewGraphic;
    };
    QList<TSample> samples;
    for (const TRasterFormat& format : Formats())
        samples.append({format.Encode(QuarterColours(120, 90)), format.NewGraphic});
    samples.append({"<svg xmlns='http://www.w3.org/2000/svg' width='120' height='90'>"
                    "<circle cx='60' cy='45' r='40' fill='green'/></svg>",
                    [] { return std::make_unique<TSvgImage>(); }});
    const auto read = [&](int index) {
        const TSample& sample = samples[index % samples.size()];
        QByteArray bytes = sample.Bytes;
        QBuffer file(&bytes);
        file.open(QIODevice::ReadOnly);
        return sample.NewGraphic()->ReadThumbnail(file, {40, 40}).Image;
    };
    QList<QImage> expected;
    for (int i = 0; i < samples.size(); ++i)
        expected.append(read(i));
    constexpr int Threads = 8, Rounds = 20;
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < Rounds; ++round)
                if (read(t + round) != expected[(t + round) % samples.size()])
                    ++mismatches;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}
