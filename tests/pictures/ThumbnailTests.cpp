// Thumbnail reads: the size each format gives a cell, how close it looks to the whole picture
// shrunk into the cell, and files whose headers promise more than they hold.
#include "Ani.h"
#include "Bitmap.h"
#include "BmpWriter.h"
#include "FileFormats.h"
#include "Gif.h"
#include "GifSamples.h"
#include "Icon.h"
#include "Jpeg.h"
#include "JpegSamples.h"
#include "Metafile.h"
#include "MetafileWriter.h"
#include "Picture.h"
#include "PictureFormats.h"
#include "SampleFiles.h"
#include "ThumbnailSampler.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <jerror.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Smooth gradients with a few large blocks: detail that both a full decode and a reduced one
// keep, so their shrunk copies should agree closely.
QImage Scene(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    QPainter painter(&image);
    painter.fillRect(QRect(width / 8, height / 8, width / 3, height / 3), Qt::yellow);
    painter.fillRect(QRect(width / 2, height / 2, width / 3, height / 4), Qt::darkBlue);
    return image;
}

// Runs of equal indexes, rows bottom-up, each row closed by an end of line.
QByteArray Rle8(const QImage& indexed) {
    QByteArray out;
    for (int y = indexed.height() - 1; y >= 0; --y) {
        const uchar* row = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width();) {
            int run = 1;
            while (x + run < indexed.width() && run < 255 && row[x + run] == row[x])
                ++run;
            out += char(run);
            out += char(row[x]);
            x += run;
        }
        out += QByteArray("\x00\x00", 2);
    }
    return out + QByteArray("\x00\x01", 2);
}

QByteArray IndexedBmp(const QImage& indexed, bool rle) {
    return BmpFile(InfoHeader(40, indexed.width(), indexed.height(), 8, rle ? 1 : 0,
                              quint32(indexed.colorCount())) +
                       Palette(indexed.colorTable()),
                   rle ? Rle8(indexed) : WriteBmp({indexed, 8}).mid(54 + indexed.colorCount() * 4));
}

QByteArray IndexedGif(const QImage& indexed, bool interlaced = false, int transparentIndex = -1) {
    TGifSampleWriter writer(indexed.width(), indexed.height(), indexed.colorTable());
    TGifSampleFrame frame;
    frame.Width = indexed.width();
    frame.Height = indexed.height();
    frame.Interlaced = interlaced;
    frame.TransparentIndex = transparentIndex;
    for (int y = 0; y < indexed.height(); ++y)
        frame.Indexes +=
            QByteArray(reinterpret_cast<const char*>(indexed.constScanLine(y)), indexed.width());
    writer.AddFrame(frame);
    return writer.Bytes();
}

// Two filled rectangles in a frame of 200 x 150 millimetres at 1 pixel per millimetre.
QByteArray TwoRectangleEmf() {
    constexpr quint32 SelectObject = 37, CreateBrush = 39, Rectangle = 43, NullPen = 0x80000008;
    TEmfWriter emf(QRect(QPoint(0, 0), QPoint(20000, 15000)), QSize(1000, 1000), QSize(1000, 1000));
    emf.Record(CreateBrush, {1, 0, ColorRef(200, 30, 30), 0})
        .Record(SelectObject, {1})
        .Record(SelectObject, {NullPen})
        .Record(Rectangle, {10, 10, 120, 90})
        .Record(CreateBrush, {2, 0, ColorRef(20, 40, 220), 0})
        .Record(SelectObject, {2})
        .Record(Rectangle, {90, 60, 190, 140});
    return emf.Bytes();
}

// A line of text in a frame of 200 x 60 millimetres: fonts laid out on workers too.
QByteArray TextEmf() {
    constexpr quint32 SelectObject = 37, SetTextAlign = 22, SetTextColor = 24, CreateFont = 82,
                      TextOut = 84;
    TEmfWriter emf(QRect(QPoint(0, 0), QPoint(20000, 6000)), QSize(1000, 1000), QSize(1000, 1000));
    emf.Raw(CreateFont, EmfFontPayload(1, -24, 700))
        .Record(SelectObject, {1})
        .Record(SetTextColor, {ColorRef(0, 0, 160)})
        .Record(SetTextAlign, {0})
        .Raw(TextOut, EmfTextPayload(QRect(0, 0, 200, 60), {10, 20}, QStringLiteral("Velloria")));
    return emf.Bytes();
}

// A 1.5-inch square with a green block in its top left quarter, at 96 pixels an inch.
QByteArray GreenBlockWmf() {
    constexpr quint16 CreateBrush = 0x02FC, CreatePen = 0x02FA, SelectObject = 0x012D,
                      Rectangle = 0x041B;
    TWmfWriter wmf(QRect(0, 0, 2160, 2160), 1440);
    const quint32 green = ColorRef(30, 180, 60);
    wmf.Record(CreateBrush, {0, int(green & 0xFFFF), int(green >> 16), 0})
        .Record(CreatePen, {5, 0, 0, 0, 0})
        .Record(SelectObject, {0})
        .Record(SelectObject, {1})
        .Record(Rectangle, {1080, 1080, 0, 0});
    return wmf.Bytes();
}

struct TSample {
    const char* Name;
    TGraphicClass Class;
    QByteArray Bytes;
    bool Transparent = false; // the viewer's Transparent option
};

QList<TSample> Samples() {
    const QImage scene = Scene(640, 480);
    const QImage inks = scene.convertToFormat(QImage::Format_ARGB32);
    const QImage indexed = scene.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QImage icon = Scene(32, 32).convertToFormat(QImage::Format_ARGB32);
    return {
        {"bmp 24 bits", &TBitmap::staticMetaObject, WriteBmp({scene, 24})},
        {"bmp 24 bits, odd size", &TBitmap::staticMetaObject, WriteBmp({Scene(333, 101), 24})},
        {"bmp 8 bits", &TBitmap::staticMetaObject, IndexedBmp(indexed, false)},
        {"bmp rle8", &TBitmap::staticMetaObject, IndexedBmp(indexed, true)},
        {"gif", &TJvGIFImage::staticMetaObject, IndexedGif(indexed)},
        {"gif interlaced", &TJvGIFImage::staticMetaObject, IndexedGif(indexed, true)},
        // The yellow block's colour is left out wherever it is, as the whole frame drawn leaves it.
        {"gif transparent", &TJvGIFImage::staticMetaObject,
         IndexedGif(indexed, false, indexed.pixelIndex(100, 80)), true},
        {"ico", &TIcon::staticMetaObject, IcoFile({{32, 32, 32, IconDib32(icon)}})},
        {"ani", &TJvAni::staticMetaObject, AniFile({IcoFile({{32, 32, 32, IconDib32(icon)}})})},
        {"emf", &TMetafile::staticMetaObject, TwoRectangleEmf()},
        {"emf text", &TMetafile::staticMetaObject, TextEmf()},
        {"wmf", &TMetafile::staticMetaObject, GreenBlockWmf()},
        {"jpeg colour", &TJPEGImage::staticMetaObject, MakeJpeg(scene)},
        {"jpeg grey", &TJPEGImage::staticMetaObject, MakeJpeg(scene, TJpegSampleKind::Grayscale)},
        {"jpeg progressive", &TJPEGImage::staticMetaObject,
         MakeJpeg(scene, TJpegSampleKind::Progressive)},
        {"jpeg cmyk", &TJPEGImage::staticMetaObject, MakeJpeg(inks, TJpegSampleKind::Cmyk)},
    };
}

std::unique_ptr<TGraphic> NewGraphic(TGraphicClass graphicClass) {
    return std::unique_ptr<TGraphic>(qobject_cast<TGraphic*>(graphicClass->newInstance()));
}

std::unique_ptr<TGraphic> NewGraphic(const TSample& sample) {
    auto graphic = NewGraphic(sample.Class);
    graphic->SetTransparent(sample.Transparent);
    return graphic;
}

TThumbnailImage ReadThumbnail(const TSample& sample, const QSize& box) {
    QBuffer buffer;
    buffer.setData(sample.Bytes);
    buffer.open(QIODevice::ReadOnly);
    return NewGraphic(sample)->ReadThumbnail(buffer, box);
}

// What a cell drew before thumbnails: the whole picture decoded, drawn into the fitted size.
QImage ShrunkFullDrawing(const TSample& sample, const QSize& box) {
    auto graphic = NewGraphic(sample);
    graphic->LoadFromBytes(sample.Bytes);
    QImage canvas(FittedSize({graphic->Width(), graphic->Height()}, box),
                  QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    graphic->Draw(painter, canvas.rect());
    return canvas;
}

// The mean difference per colour channel (0..255) of two images drawn at the same size.
double MeanDifference(const QImage& first, const QImage& second) {
    const QImage a = first.convertToFormat(QImage::Format_ARGB32);
    const QImage b = second.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * a.width() * a.height());
}

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

const QSize Boxes[] = {{100, 100}, {37, 200}, {320, 320}, {2000, 2000}};

} // namespace

TEST(ThumbnailScale, SmallestEighthWhoseOutputCoversTheFittedSize) {
    const struct {
        QSize Picture;
        QSize Box;
        int Eighths;
    } cases[] = {
        {{4000, 3000}, {100, 100}, 1}, // a camera photo in an ordinary cell
        {{800, 800}, {100, 100}, 1},   // exactly 100 at 1/8
        {{799, 799}, {100, 100}, 1},   // rounded up to 100
        {{792, 792}, {100, 100}, 2},   // 99 at 1/8 falls short
        {{800, 600}, {400, 400}, 4},
        {{800, 600}, {401, 401}, 5},
        {{810, 600}, {200, 200}, 2},
        {{1000, 10}, {100, 100}, 1},
        {{50, 50}, {100, 100}, 8}, // smaller than the cell: full
                                   // size
        {{799, 799}, {799, 799}, 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegThumbnailScale(c.Picture, FittedSize(c.Picture, c.Box)), c.Eighths)
            << c.Picture.width() << "x" << c.Picture.height() << " in " << c.Box.width() << "x"
            << c.Box.height();
}

TEST(Thumbnail, EveryFormatGivesItsOwnSizeAndACopyOfTheFittedSize) {
    for (const TSample& sample : Samples()) {
        auto graphic = NewGraphic(sample.Class);
        graphic->LoadFromBytes(sample.Bytes);
        const QSize own(graphic->Width(), graphic->Height());
        for (const QSize& box : Boxes) {
            const TThumbnailImage thumbnail = ReadThumbnail(sample, box);
            EXPECT_EQ(thumbnail.PictureSize, own) << sample.Name;
            EXPECT_EQ(thumbnail.Image.size(), FittedSize(own, box))
                << sample.Name << " in " << box.width() << "x" << box.height();
            // Every sample shows more than one colour: a blank copy would be no copy.
            EXPECT_GT(DistinctColours(thumbnail.Image), 1) << sample.Name;
        }
    }
}

TEST(Thumbnail, LooksAsTheWholePictureShrunkIntoTheCell) {
    for (const TSample& sample : Samples())
        for (const QSize& box : Boxes) {
            const QImage thumbnail = ReadThumbnail(sample, box).Image;
            const QImage shrunk = ShrunkFullDrawing(sample, box);
            ASSERT_EQ(thumbnail.size(), shrunk.size()) << sample.Name;
            EXPECT_LT(MeanDifference(thumbnail, shrunk), 5.0)
                << sample.Name << " in " << box.width() << "x" << box.height();
        }
}

TEST(Thumbnail, JpegHeaderClaimingAHugePictureOverATinyFileEndsCleanly) {
    // 16000 x 16000 promised by a file of under a kilobyte: running out of data is only a
    // warning, so the cell gets a small copy, grey where the data ran out, never a picture of
    // the promised size (what it costs is measured in the decode benchmark).
    const QByteArray bomb = WithSize(MakeJpeg(Scene(8, 8)), 16000, 16000);
    ASSERT_LT(bomb.size(), 1024);
    const TThumbnailImage thumbnail =
        ReadThumbnail({"bomb", &TJPEGImage::staticMetaObject, bomb}, {100, 100});
    EXPECT_EQ(thumbnail.PictureSize, QSize(16000, 16000));
    ASSERT_EQ(thumbnail.Image.size(), QSize(100, 100));
    EXPECT_NEAR(QColor(thumbnail.Image.pixel(50, 50)).green(), 128, 20);
}

TEST(Thumbnail, GifFrameClaimingAHugePictureOverATinyFileCostsWhatTheDataHolds) {
    // 16000 x 16000 promised over 64 pixels of data: the copy is the cell's size, the first
    // colour where the data ran out, as the whole frame decoded would show.
    TGifSampleWriter writer(16000, 16000, {qRgb(10, 20, 30), qRgb(250, 250, 250)});
    TGifSampleFrame claimed;
    claimed.Width = claimed.Height = 16000;
    claimed.CodeSize = 2;
    writer.AddRawFrame(claimed, GifSubBlocks(EncodeGifLzw(QByteArray(64, char(1)), 2)));
    const TThumbnailImage thumbnail =
        ReadThumbnail({"bomb", &TJvGIFImage::staticMetaObject, writer.Bytes()}, {100, 100});
    EXPECT_EQ(thumbnail.PictureSize, QSize(16000, 16000));
    ASSERT_EQ(thumbnail.Image.size(), QSize(100, 100));
    EXPECT_EQ(thumbnail.Image.pixel(50, 50), qRgb(10, 20, 30));
    EXPECT_EQ(thumbnail.Image.sizeInBytes(), 100 * 100);
}

TEST(Thumbnail, JpegFaultsFollowTheFullDecodesRules) {
    const QByteArray jpeg = MakeJpeg(Scene(320, 240));
    // Damaged image data raises the decoder's message number.
    try {
        ReadThumbnail({"damaged", &TJPEGImage::staticMetaObject, WithUndefinedQuantTable(jpeg)},
                      {100, 100});
        FAIL() << "damaged data gave a thumbnail";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("JPEG error #%1").arg(JERR_NO_QUANT_TABLE));
    }
    // An empty file is the library's empty-input error, as for a whole read.
    try {
        ReadThumbnail({"empty", &TJPEGImage::staticMetaObject, QByteArray()}, {100, 100});
        FAIL() << "an empty file gave a thumbnail";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("JPEG error #%1").arg(JERR_INPUT_EMPTY));
    }
    // A file cut short shows its first rows and grey where the data ran out.
    const QByteArray cut = jpeg.left(FindJpegMarker(jpeg, 0xDA) + 400);
    const QImage image = ReadThumbnail({"cut", &TJPEGImage::staticMetaObject, cut}, {80, 80}).Image;
    ASSERT_EQ(image.size(), QSize(80, 60));
    const QColor first = image.pixel(2, 2); // the scene's dark corner, bluish
    EXPECT_LT(first.red(), 40);
    EXPECT_NEAR(first.blue(), 128, 20);
    const QColor grey = image.pixel(70, 55);
    EXPECT_NEAR(grey.red(), 128, 20);
    EXPECT_NEAR(grey.green(), 128, 20);
    // Where the data ends, the copy still looks as the whole short file decoded and shrunk.
    for (const qsizetype length : {cut.size(), jpeg.size() / 3, jpeg.size() * 2 / 3})
        for (const QSize& box : {QSize(80, 80), QSize(320, 320)}) {
            const TSample sample{"cut", &TJPEGImage::staticMetaObject, jpeg.left(length)};
            EXPECT_LT(
                MeanDifference(ReadThumbnail(sample, box).Image, ShrunkFullDrawing(sample, box)),
                5.0)
                << length << " bytes in " << box.width();
        }
    // A header above the pixel bound is refused before anything is decoded.
    EXPECT_THROW(
        ReadThumbnail({"large", &TJPEGImage::staticMetaObject, WithSize(jpeg, 65000, 65000)},
                      {100, 100}),
        EJPEG);
}

TEST(Thumbnail, BmpHeaderClaimingMoreRowsThanTheFileHoldsIsRefusedBeforeReadingThem) {
    // 4000 rows promised, 3 present: refused as a whole read refuses it, without a picture of
    // the promised size.
    const QByteArray pixels(3 * 12, '\x40');
    const QByteArray claims = BmpFile(InfoHeader(40, 4, 4000, 24), pixels);
    try {
        ReadThumbnail({"short", &TBitmap::staticMetaObject, claims}, {100, 100});
        FAIL() << "rows that are not there gave a thumbnail";
    } catch (const EInvalidGraphic& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Bitmap image is not valid"));
    }
    // Run-length data that ends early leaves the rows it never reached at the first colour.
    QImage indexed(8, 4000, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    indexed.fill(1);
    const QByteArray full = IndexedBmp(indexed, true);
    const QByteArray cut = full.left(full.size() - 3000 * 4);
    const QImage image =
        ReadThumbnail({"cut rle", &TBitmap::staticMetaObject, cut}, {50, 50}).Image;
    ASSERT_EQ(image.size(), QSize(1, 50));
    EXPECT_EQ(image.pixel(0, 49), qRgb(255, 255, 255)); // bottom rows come first in the file
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(Thumbnail, EmptyBitmapFileGivesAnEmptySizeAndABlankCopy) {
    const TThumbnailImage thumbnail =
        ReadThumbnail({"empty", &TBitmap::staticMetaObject, QByteArray()}, {100, 100});
    EXPECT_EQ(thumbnail.PictureSize, QSize(0, 0));
    ASSERT_EQ(thumbnail.Image.size(), QSize(1, 1));
    EXPECT_EQ(qAlpha(thumbnail.Image.pixel(0, 0)), 0);
}

class ThumbnailFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterPictureFormats(); }
    QTemporaryDir Folder;

    // A file whose first bytes are head and whose size is size, the rest a hole.
    QString Sparse(const QString& name, const QByteArray& head, qint64 size) {
        const QString path = WriteSample(Folder, name, head);
        QFile file(path);
        EXPECT_TRUE(file.resize(size));
        return path;
    }
};

TEST_F(ThumbnailFiles, FileLargerThanAnyPictureIsRefusedNamingIt) {
    // 3 GB of nothing behind a GIF signature: refused at its size, not read.
    const QString path = Sparse("hole.gif", "GIF89a", 3LL << 30);
    TPicture picture;
    try {
        picture.LoadFromFile(path);
        FAIL() << "a 3 GB file loaded";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("Cannot read file \"%1\". File too large").arg(path));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    try {
        TJvGIFImage().ReadThumbnail(file, {100, 100});
        FAIL() << "a 3 GB file gave a thumbnail";
    } catch (const EReadError& error) {
        EXPECT_TRUE(error.Message().contains(path)) << error.Message().toStdString();
    }
}

TEST_F(ThumbnailFiles, LargeBitmapPaddedWithAHoleReadsOnlyTheRowsItShows) {
    // A 16000 x 16000 bitmap, 768 MB of pixels and 1 GB of junk after them, all a hole but its
    // top 160 rows: the thumbnail reads a hundred rows and sees the first of them white.
    const QByteArray header = BmpFile(InfoHeader(40, 16000, -16000, 24), QByteArray());
    const QString path = Sparse("huge.bmp", header + QByteArray(160 * 16000 * 3, '\xFF'),
                                header.size() + 16000LL * 16000 * 3 + (1LL << 30));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const TThumbnailImage thumbnail = TBitmap().ReadThumbnail(file, {100, 100});
    EXPECT_EQ(thumbnail.PictureSize, QSize(16000, 16000));
    ASSERT_EQ(thumbnail.Image.size(), QSize(100, 100));
    EXPECT_EQ(thumbnail.Image.pixel(50, 0), qRgb(255, 255, 255));
    EXPECT_EQ(thumbnail.Image.pixel(50, 99), qRgb(0, 0, 0));
}

TEST(ThumbnailThreads, SeveralThreadsReadEveryFormatAsOneThreadDoes) {
    const QList<TSample> samples = Samples();
    const QSize boxes[] = {{100, 100}, {37, 200}};
    QList<QImage> expected;
    for (const TSample& sample : samples)
        for (const QSize& box : boxes)
            expected.append(ReadThumbnail(sample, box).Image);

    constexpr int Threads = 4, Rounds = 6;
    std::atomic<int> mismatches{0}, failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t)
        workers.emplace_back([&, t] {
            for (int round = 0; round < Rounds; ++round)
                for (qsizetype i = 0; i < expected.size(); ++i) {
                    // Each thread starts at another sample, so different readers overlap.
                    const qsizetype k = (i + t * 5) % expected.size();
                    try {
                        const QImage image = ReadThumbnail(samples[k / 2], boxes[k % 2]).Image;
                        mismatches += image == expected[k] ? 0 : 1;
                    } catch (...) {
                        ++failures;
                    }
                }
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mismatches, 0);
}

TEST(ThumbnailThreads, RegistryAnswersReadersWhileRowsComeAndGo) {
    TFileFormatsList formats;
    formats.Add(QStringLiteral("jpg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            formats.Add(QStringLiteral("ani"), QStringLiteral("ANI Image"),
                        &TJvAni::staticMetaObject);
            formats.Remove(&TJvAni::staticMetaObject);
        }
        done = true;
    });
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            do {
                wrong +=
                    formats.FindExt(QStringLiteral("JPG")) == &TJPEGImage::staticMetaObject ? 0 : 1;
                wrong +=
                    formats.MaskList(&TBitmap::staticMetaObject) == QStringLiteral("*.bmp") ? 0 : 1;
                const QString all = formats.MaskList(&TGraphic::staticMetaObject);
                wrong +=
                    all.endsWith(QStringLiteral("*.wmf")) && all.contains(QStringLiteral("*.jpg"))
                        ? 0
                        : 1;
            } while (!done);
        });
    writer.join();
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(formats.Rows().size(), 5);
}
