// Decoding speed side by side: our JPEG path (TJPEGImage over libjpeg) against the djpeg
// program on the same 24-megapixel file, and our GIF reader against giflib on the same
// multi-frame file; then thumbnail reads against full decodes, in time and peak memory. All
// files are generated here; run: build/<dir>/bench/decode_bench.
#include "Bitmap.h"
#include "BmpWriter.h"
#include "Gif.h"
#include "GifSamples.h"
#include "Jpeg.h"
#include "JpegSamples.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include <gif_lib.h>

namespace {

constexpr int Runs = 7;

double Milliseconds(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct TTimings {
    double FirstOurs = 0;
    double FirstTheirs = 0;
    double BestOurs = 1e300;
    double BestTheirs = 1e300;
};

// Times ours and theirs alternately, Runs times each, so that both meet the same load. The
// first runs are kept apart: they pay for the process's first large allocations.
TTimings TimeAlternately(const std::function<void()>& ours, const std::function<void()>& theirs) {
    TTimings timings;
    for (int run = 0; run < Runs; ++run) {
        const double oursNow = Milliseconds(ours);
        const double theirsNow = Milliseconds(theirs);
        if (run == 0) {
            timings.FirstOurs = oursNow;
            timings.FirstTheirs = theirsNow;
        }
        timings.BestOurs = std::min(timings.BestOurs, oursNow);
        timings.BestTheirs = std::min(timings.BestTheirs, theirsNow);
    }
    return timings;
}

void Report(const char* what, const TTimings& timings, const char* them, double goal) {
    const double ratio = timings.BestOurs / timings.BestTheirs;
    std::printf("%-28s best: ours %7.1f ms  %-6s %7.1f ms  ratio %.2f (goal <= %.2f) %s\n", what,
                timings.BestOurs, them, timings.BestTheirs, ratio, goal,
                ratio <= goal ? "met" : "MISSED");
    std::printf("%-28s first run: ours %7.1f ms  %-6s %7.1f ms\n", "", timings.FirstOurs, them,
                timings.FirstTheirs);
}

// A photo-like picture: smooth colour fields with fine noise, so the file has real detail.
QImage PhotoLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(11);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(24));
            line[x] = qRgb((x * 255 / width + noise) & 0xFF, (y * 255 / height + noise) & 0xFF,
                           ((x + y) / 16 % 2 ? 200 : 40) + noise);
        }
    }
    return image;
}

void BenchJpeg(const QTemporaryDir& folder) {
    const QByteArray jpeg = MakeJpeg(PhotoLike(6000, 4000), TJpegSampleKind::Colour, 90);
    const QString fileName = folder.filePath(QStringLiteral("24mp.jpg"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
        qFatal("cannot write %s", qPrintable(fileName));
    file.close();
    std::printf("JPEG: 6000 x 4000, %lld bytes\n", static_cast<long long>(jpeg.size()));

    const TTimings timings = TimeAlternately(
        [&] {
            TJPEGImage image;
            image.LoadFromFile(fileName);
            if (image.Bitmap().Image.width() != 6000)
                qFatal("decode failed");
        },
        [&] {
            const QStringList arguments = {QStringLiteral("-outfile"), QStringLiteral("/dev/null"),
                                           fileName};
            if (QProcess::execute(QStringLiteral("djpeg"), arguments) != 0)
                qFatal("djpeg failed");
        });
    Report("JPEG 24 MP full-size decode", timings, "djpeg", 1.15);
}

struct TMemoryInput {
    const QByteArray* Data;
    qsizetype Pos;
};

int ReadMemory(GifFileType* gif, GifByteType* bytes, int count) {
    auto* input = static_cast<TMemoryInput*>(gif->UserData);
    const int available = int(std::min<qsizetype>(count, input->Data->size() - input->Pos));
    std::memcpy(bytes, input->Data->constData() + input->Pos, size_t(available));
    input->Pos += available;
    return available;
}

// Decodes every frame with giflib; gives the last frame's pixels to compare with ours.
QByteArray DecodeWithGiflib(const QByteArray& data) {
    TMemoryInput input{&data, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, ReadMemory, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK)
        qFatal("giflib failed to decode the sample");
    const SavedImage& last = gif->SavedImages[gif->ImageCount - 1];
    const QByteArray pixels(reinterpret_cast<const char*>(last.RasterBits),
                            qsizetype(last.ImageDesc.Width) * last.ImageDesc.Height);
    DGifCloseFile(gif, &error);
    return pixels;
}

QByteArray DecodeWithOurs(const QByteArray& data) {
    TJvGIFImage gif;
    gif.LoadFromBytes(data);
    for (int i = 1; i < gif.Count(); ++i)
        gif.Frames(i).Bitmap();
    const QImage& last = gif.Frames(gif.Count() - 1).Bitmap().Image;
    QByteArray pixels;
    for (int y = 0; y < last.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(last.constScanLine(y)), last.width());
    return pixels;
}

// Frames of flat areas, stripes and noise in a 256-colour table, the mix of real animations.
QByteArray AnimatedGif(int width, int height, int frames) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, 255 - i, (i * 7) & 0xFF));
    TGifSampleWriter writer(width, height, table);
    QRandomGenerator random(5);
    for (int f = 0; f < frames; ++f) {
        TGifSampleFrame frame;
        frame.Width = width;
        frame.Height = height;
        frame.CodeSize = 8;
        frame.Interlaced = f % 4 == 3;
        frame.Indexes.resize(qsizetype(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int band = (y / 64 + f) % 3;
                const int index = band == 0   ? 17
                                  : band == 1 ? (x / 8 + f) % 32
                                              : int(random.bounded(256));
                frame.Indexes[qsizetype(y) * width + x] = char(index);
            }
        writer.AddFrame(frame);
    }
    return writer.Bytes();
}

void BenchGif() {
    const QByteArray gif = AnimatedGif(1200, 900, 24);
    std::printf("GIF: 24 frames of 1200 x 900, %lld bytes\n", static_cast<long long>(gif.size()));
    if (DecodeWithOurs(gif) != DecodeWithGiflib(gif))
        qFatal("our decoder and giflib disagree on the sample");
    const TTimings timings =
        TimeAlternately([&] { DecodeWithOurs(gif); }, [&] { DecodeWithGiflib(gif); });
    Report("GIF 24-frame decode", timings, "giflib", 1.5);
}

QString WriteFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    const QString fileName = folder.filePath(name);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
    return fileName;
}

// The process's peak resident memory in KiB since the last ResetPeakMemory.
long PeakMemoryKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void ResetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Best time of Runs and the peak memory above the starting point, in MiB.
void TimeAndMeasure(const char* what, const std::function<void()>& action) {
    ResetPeakMemory();
    const long before = PeakMemoryKiB();
    double best = 1e300;
    for (int run = 0; run < Runs; ++run)
        best = std::min(best, Milliseconds(action));
    std::printf("%-44s best %8.1f ms  peak +%6.1f MiB\n", what, best,
                double(PeakMemoryKiB() - before) / 1024);
}

TThumbnailImage ReadThumbnailOf(TGraphic& graphic, const QString& fileName, const QSize& box) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(fileName));
    return graphic.ReadThumbnail(file, box);
}

void BenchThumbnails(const QTemporaryDir& folder) {
    const QSize box(100, 100);
    const QString jpeg = WriteFile(folder, QStringLiteral("12mp.jpg"),
                                   MakeJpeg(PhotoLike(4000, 3000), TJpegSampleKind::Colour, 90));
    TimeAndMeasure("JPEG 4000 x 3000 full decode", [&] {
        TJPEGImage image;
        image.LoadFromFile(jpeg);
        image.Bitmap();
    });
    TimeAndMeasure("JPEG 4000 x 3000 thumbnail, 100 x 100 box", [&] {
        TJPEGImage image;
        ReadThumbnailOf(image, jpeg, box);
    });

    const QString bmp =
        WriteFile(folder, QStringLiteral("48mp.bmp"), WriteBmp({PhotoLike(8000, 6000), 24}));
    TimeAndMeasure("BMP 8000 x 6000 x 24 full read", [&] {
        TBitmap bitmap;
        bitmap.LoadFromFile(bmp);
    });
    TimeAndMeasure("BMP 8000 x 6000 x 24 thumbnail, 100 x 100 box", [&] {
        TBitmap bitmap;
        ReadThumbnailOf(bitmap, bmp, box);
    });

    // A frame claiming 16000 x 16000 over a few bytes of image data: the whole read costs the
    // claimed size, the thumbnail what the data holds.
    TGifSampleWriter claiming(16000, 16000, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
    TGifSampleFrame claimed;
    claimed.Width = claimed.Height = 16000;
    claimed.CodeSize = 2;
    claiming.AddRawFrame(claimed, GifSubBlocks(EncodeGifLzw(QByteArray(64, char(1)), 2)));
    const QString gifBomb = WriteFile(folder, QStringLiteral("bomb.gif"), claiming.Bytes());
    std::printf("GIF bomb: %lld bytes claiming 16000 x 16000\n",
                static_cast<long long>(QFile(gifBomb).size()));
    TimeAndMeasure("GIF bomb thumbnail, 100 x 100 box", [&] {
        TJvGIFImage gif;
        ReadThumbnailOf(gif, gifBomb, box);
    });
    TimeAndMeasure("GIF bomb full read", [&] {
        TJvGIFImage gif;
        gif.LoadFromFile(gifBomb);
    });

    // Twelve tiny files whose headers promise 16000 x 16000, read by two workers at once.
    QByteArray bomb = MakeJpeg(PhotoLike(8, 8), TJpegSampleKind::Colour, 90);
    const qsizetype frame = FindJpegMarker(bomb, 0xC0);
    bomb[frame + 5] = char(16000 >> 8), bomb[frame + 6] = char(16000 & 0xFF);
    bomb[frame + 7] = char(16000 >> 8), bomb[frame + 8] = char(16000 & 0xFF);
    QStringList bombs;
    for (int i = 0; i < 12; ++i)
        bombs.append(WriteFile(folder, QStringLiteral("bomb%1.jpg").arg(i), bomb));
    std::printf("bomb: 12 files of %lld bytes claiming 16000 x 16000\n",
                static_cast<long long>(bomb.size()));
    TimeAndMeasure("bomb folder thumbnails, 2 workers", [&] {
        std::atomic<int> next{0};
        const auto worker = [&] {
            for (int i = next++; i < bombs.size(); i = next++) {
                TJPEGImage image;
                try {
                    ReadThumbnailOf(image, bombs[i], box);
                } catch (const EJPEG&) {
                    // a damaged file is a placeholder for the cell; only its cost counts here
                }
            }
        };
        std::thread first(worker), second(worker);
        first.join();
        second.join();
    });
}

} // namespace

int main() {
    QTemporaryDir folder;
    BenchJpeg(folder);
    BenchGif();
    BenchThumbnails(folder);
    return 0;
}
