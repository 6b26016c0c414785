// The plain X desktop's share of a wallpaper change on a large photo: decoding an 8000 x 6000
// JPEG (past Qt's default allocation limit) and laying it out on a 1920 x 1080 screen in each
// style. The decoded photo's memory is reported as the process's peak resident size.
#include "RootPicture.h"
#include "WallpaperPicture.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
const QSize Screen(1920, 1080);

// The photo's file, written once: smooth colour ramps, as a photo compresses.
const QString& PhotoFile() {
    static QTemporaryDir folder;
    static const QString file = [] {
        QImage photo(8000, 6000, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                row[x] = qRgb(x * 255 / 8000, y * 255 / 6000, (x + y) * 255 / 14000);
        }
        const QString name = folder.filePath(QStringLiteral("photo.jpg"));
        photo.save(name, "JPEG", 90);
        return name;
    }();
    return file;
}

// The process's peak resident memory in megabytes, from /proc.
double PeakResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

void DecodePhoto(benchmark::State& state) {
    const QString& file = PhotoFile();
    for (auto _ : state) {
        QImage photo;
        QString error;
        if (!ReadWallpaperPicture(file, photo, error))
            state.SkipWithError(error.toUtf8().constData());
        benchmark::DoNotOptimize(photo.constBits());
    }
    state.counters["peak_MB"] = PeakResidentMb();
}

void LayOut(benchmark::State& state) {
    QImage photo;
    QString error;
    if (!ReadWallpaperPicture(PhotoFile(), photo, error))
        state.SkipWithError(error.toUtf8().constData());
    const auto style = TLxWallpaperStyle(state.range(0));
    state.SetLabel(StyleWord(style).toStdString());
    for (auto _ : state) {
        const QImage frame = RenderRootPicture(photo, Screen, style);
        benchmark::DoNotOptimize(frame.constBits());
    }
}
} // namespace

BENCHMARK(DecodePhoto)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LayOut)->DenseRange(wsTiled, wsScaled)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
