#include "BenchFolders.h"

#include "GifSamples.h"
#include "JpegSamples.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace {

void WriteOrDie(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
}

QByteArray SmallBmp() {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// What a photo of one file looks like: two colours across, a shade down, slanted stripes, a
// disk, and fine noise, all drawn from the file's number so that no two files are alike.
struct TPhotoRecipe {
    int Width = 0;
    int Height = 0;
    QRgb Left = 0;
    QRgb Right = 0;
    QRgb Disk = 0;
    int StripePeriod = 0;
    int StripeSlope = 0;
    int DiskX = 0;
    int DiskY = 0;
    qint64 DiskRadius2 = 0;
    quint32 Noise = 0;
};

TPhotoRecipe RecipeFor(int index, QSize size) {
    QRandomGenerator random(quint32(index) * 7919u + 17u);
    TPhotoRecipe recipe;
    recipe.Width = size.width();
    recipe.Height = size.height();
    recipe.Left = random.generate();
    recipe.Right = random.generate();
    recipe.Disk = random.generate();
    recipe.StripePeriod = 40 + int(random.bounded(400));
    recipe.StripeSlope = int(random.bounded(5)) - 2;
    recipe.DiskX = int(random.bounded(size.width()));
    recipe.DiskY = int(random.bounded(size.height()));
    const qint64 radius = size.height() / 8 + int(random.bounded(size.height() / 3));
    recipe.DiskRadius2 = radius * radius;
    recipe.Noise = random.generate() | 1u;
    return recipe;
}

int Mix(int from, int to, int x, int width) {
    return from + (to - from) * x / width;
}

void FillPhotoRow(TPhotoRecipe& recipe, int y, std::vector<JSAMPLE>& row) {
    const int shade = y * 64 / recipe.Height - 32;
    const qint64 dy = y - recipe.DiskY;
    JSAMPLE* out = row.data();
    for (int x = 0; x < recipe.Width; ++x) {
        const qint64 dx = x - recipe.DiskX;
        const bool inDisk = dx * dx + dy * dy < recipe.DiskRadius2;
        const int stripe =
            ((x + recipe.StripeSlope * y + 1000000) / recipe.StripePeriod) % 2 ? 18 : -18;
        quint32& n = recipe.Noise;
        n ^= n << 13, n ^= n >> 17, n ^= n << 5;
        const int base[3] = {Mix(qRed(recipe.Left), qRed(recipe.Right), x, recipe.Width),
                             Mix(qGreen(recipe.Left), qGreen(recipe.Right), x, recipe.Width),
                             Mix(qBlue(recipe.Left), qBlue(recipe.Right), x, recipe.Width)};
        const int disk[3] = {qRed(recipe.Disk), qGreen(recipe.Disk), qBlue(recipe.Disk)};
        for (int c = 0; c < 3; ++c) {
            const int noise = int((n >> (c * 8)) & 31u) - 16;
            const int value = (inDisk ? disk[c] : base[c] + stripe) + shade + noise;
            *out++ = JSAMPLE(std::clamp(value, 0, 255));
        }
    }
}

// Compresses the photo straight from its rows, without a whole image in memory, to a
// temporary name renamed when complete: a file under its final name is always whole.
void WritePhoto(const QString& fileName, int index, QSize size) {
    const QString partName = fileName + QStringLiteral(".part");
    FILE* file = std::fopen(QFile::encodeName(partName).constData(), "wb");
    if (!file)
        qFatal("cannot write %s", qPrintable(partName));
    TPhotoRecipe recipe = RecipeFor(index, size);
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error); // the library's own exit ends the benchmark
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(size.width());
    info.image_height = JDIMENSION(size.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.dct_method = JDCT_IFAST;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(size.width()) * 3);
    while (info.next_scanline < info.image_height) {
        FillPhotoRow(recipe, int(info.next_scanline), row);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(file) != 0 || !QFile::rename(partName, fileName))
        qFatal("cannot write %s", qPrintable(fileName));
}

QString PhotoName(const QString& folder, int index) {
    return QStringLiteral("%1/photo-%2.jpg").arg(folder).arg(index, 3, 10, QLatin1Char('0'));
}

} // namespace

void MakeSmallPictures(const QString& folder, int count) {
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(qRgb(200, 90, 30));
    const QByteArray jpeg = MakeJpeg(tiny, TJpegSampleKind::Colour);
    const QByteArray gif = RedBlueGif(2, 2, QByteArray("\0\1\1\0", 4));
    const QByteArray bmp = SmallBmp();
    const char* prefixes[] = {"IMG_", "img-", "Holiday ", "scan", "DSC"};
    const struct {
        const char* Extension;
        const QByteArray* Bytes;
    } kinds[] = {{"jpg", &jpeg}, {"JPG", &jpeg}, {"jpeg", &jpeg}, {"gif", &gif}, {"bmp", &bmp}};
    for (int i = 0; i < count; ++i) {
        const auto& kind = kinds[i % 5];
        const QString name = QStringLiteral("%1/%2%3.%4")
                                 .arg(folder, QLatin1String(prefixes[(i / 5) % 5]))
                                 .arg(i, 5, 10, QLatin1Char('0'))
                                 .arg(QLatin1String(kind.Extension));
        WriteOrDie(name, *kind.Bytes);
    }
}

QString LargeJpegFolder(const QString& cacheRoot, int count, QSize size) {
    const QString folder =
        QStringLiteral("%1/jpeg-%2x%3-v1").arg(cacheRoot).arg(size.width()).arg(size.height());
    if (!QDir().mkpath(folder))
        qFatal("cannot make %s", qPrintable(folder));
    std::vector<int> missing;
    for (int i = 0; i < count; ++i)
        if (!QFile::exists(PhotoName(folder, i)))
            missing.push_back(i);
    if (missing.empty())
        return folder;

    std::printf("making %zu JPEGs of %d x %d in %s ...\n", missing.size(), size.width(),
                size.height(), qPrintable(folder));
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t k = next++; k < missing.size(); k = next++)
            WritePhoto(PhotoName(folder, missing[k]), missing[k], size);
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        threads.emplace_back(worker);
    for (std::thread& thread : threads)
        thread.join();
    std::printf("made them in %.1f s on %zu threads\n", double(timer.elapsed()) / 1000.0,
                threads.size());
    return folder;
}
