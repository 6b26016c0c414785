// Throughput of the BMP writer on a 24-megapixel picture (6000 x 4000) at the depths a
// wallpaper conversion writes; bytes counted are the BMP file's.
#include "BmpWriter.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int PictureWidth = 6000;
constexpr int PictureHeight = 4000;

TDib Picture(int bpp) {
    if (bpp <= 8) {
        QImage image(PictureWidth, PictureHeight, QImage::Format_Indexed8);
        QVector<QRgb> table;
        for (int i = 0; i < (1 << bpp); ++i)
            table.append(qRgb(i, 255 - i, i / 2));
        image.setColorTable(table);
        for (int y = 0; y < PictureHeight; ++y) {
            uchar* row = image.scanLine(y);
            for (int x = 0; x < PictureWidth; ++x)
                row[x] = uchar((x + y) % (1 << bpp));
        }
        return TDib{image, bpp};
    }
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    for (int y = 0; y < PictureHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < PictureWidth; ++x)
            row[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
    }
    return TDib{image, bpp};
}

void WriteAtDepth(benchmark::State& state) {
    const TDib dib = Picture(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray file = WriteBmp(dib);
        bytes += file.size();
        benchmark::DoNotOptimize(file.constData());
    }
    state.SetBytesProcessed(bytes);
    state.counters["megapixels/s"] =
        benchmark::Counter(double(PictureWidth) * PictureHeight * double(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(WriteAtDepth)
    ->Arg(4)
    ->Arg(8)
    ->Arg(24)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
