// The thumbnail viewer against the floors a viewer without a cache cannot go below:
//   1. rescan of 10,000 small picture files against a bare listing of the folder;
//   2. setting Directory on 300 JPEGs of 6000 x 4000 to the first complete paint of a 433 x 470
//      viewer, against decoding just the visible files with libjpeg (and, for reference only,
//      libjpeg's decoding at 1/8 through its scaled transform);
//   3. one full repaint of that screen once its pictures are decoded;
//   4. peak resident memory while scrolling the folder top to bottom, memory reduction on and off;
//   5. the first complete screen of a maximised window: elapsed time, the longest the UI thread
//      was away from its event loop, and peak memory, beside libjpeg decoding the visible files
//      at 1/8 on every core; for 60 photos of 4000 x 3000 at 1280 x 800, 153 of 6000 x 4000
//      at 1920 x 1080, and 12 tiny JPEGs whose headers claim 16000 x 16000.
// Every case runs in a fresh process: the first decodes of a process pay for its first large
// allocations, as the viewer's do, and each peak resident set is the case's own.
// The JPEGs are made once into the build tree's cache; run: build/<dir>/bench/thumbnail_bench,
// followed by the numbers of the figures wanted (1, 2, 4 or 5; 2 gives 3 too) or nothing for all.
#include "BenchCases.h"
#include "BenchFolders.h"
#include "BenchProcess.h"
#include "PictureFormats.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int SmallFiles = 10000;
constexpr int RescanRuns = 15;
constexpr int FirstPaintRuns = 3;
constexpr int ScreenRuns = 3;
constexpr int Repaints = 30;
// Without memory reduction the folder's pictures would take 28 GiB: the scroll stops here.
constexpr double ScrollCapMiB = 4096;

int RunChildCase(const QStringList& args) {
    RegisterPictureFormats();
    const QString name = args.value(0);
    if (name == QLatin1String("rescan") && args.size() == 2) {
        RescanCase(args[1], RescanRuns);
    } else if (name == QLatin1String("floor") && args.size() == 6) {
        FloorCase(args[1], args[2].toInt(), args[3].toInt(),
                  args[4] == QLatin1String("huge") ? TFloorMemory::HugePageAdvice
                                                   : TFloorMemory::Plain,
                  args[5] == QLatin1String("keep"));
    } else if (name == QLatin1String("parallel-floor") && args.size() == 4) {
        ParallelFloorCase(args[1], args[2].toInt(), args[3].toInt());
    } else if (name == QLatin1String("paint") && args.size() == 2) {
        FirstPaintCase(args[1], Repaints);
    } else if (name == QLatin1String("screen") && args.size() == 4) {
        ScreenCase(args[1], QSize(args[2].toInt(), args[3].toInt()));
    } else if (name == QLatin1String("scroll") && args.size() == 3) {
        ScrollCase(args[1], args[2] == QLatin1String("on"), ScrollCapMiB);
    } else {
        std::fprintf(stderr, "unknown case %s\n", qPrintable(args.join(QLatin1Char(' '))));
        return 2;
    }
    return 0;
}

QByteArray FirstLine(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray("?");
}

void PrintMachine() {
    std::printf(
        "machine: %d cores, load %s; huge pages: %s; defrag: %s\n", QThread::idealThreadCount(),
        qPrintable(LoadAverage()),
        FirstLine(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled")).constData(),
        FirstLine(QStringLiteral("/sys/kernel/mm/transparent_hugepage/defrag")).constData());
}

void BenchRescan(const QString& folder) {
    const TFigures f = RunInChild({QStringLiteral("rescan"), folder});
    const double ratio =
        f[QStringLiteral("rescan_median_ms")] / f[QStringLiteral("listing_median_ms")];
    std::printf("1. rescan of %.0f files: median %.1f ms (first %.1f) against the bare listing's "
                "%.1f ms (first %.1f): ratio %.2f (goal <= 2) %s\n",
                f[QStringLiteral("items")], f[QStringLiteral("rescan_median_ms")],
                f[QStringLiteral("rescan_first_ms")], f[QStringLiteral("listing_median_ms")],
                f[QStringLiteral("listing_first_ms")], ratio, ratio <= 2 ? "met" : "MISSED");
}

void PrintFloor(const char* what, const TFigures& floor) {
    std::printf("   %-40s %6.0f ms, cpu %5.0f ms (first file %4.0f ms, later mean %4.0f ms), "
                "peak %5.0f MiB\n",
                what, floor[QStringLiteral("total_ms")], floor[QStringLiteral("cpu_ms")],
                floor[QStringLiteral("first_ms")], floor[QStringLiteral("later_mean_ms")],
                floor[QStringLiteral("peak_mib")]);
}

TFigures Floor(const QString& folder, int count, int scaleDenom, const char* memory,
               const char* keep) {
    return RunInChild({QStringLiteral("floor"), folder, QString::number(count),
                       QString::number(scaleDenom), QLatin1String(memory), QLatin1String(keep)});
}

double Ratio(const TFigures& viewer, const TFigures& floor) {
    return viewer[QStringLiteral("first_paint_ms")] / floor[QStringLiteral("total_ms")];
}

double CpuRatio(const TFigures& viewer, const TFigures& floor) {
    return viewer[QStringLiteral("cpu_ms")] / floor[QStringLiteral("cpu_ms")];
}

// Figures 2 and 3, each run in fresh processes side by side with the floors of that moment.
// The floor proper frees each picture before the next; the viewer keeps every picture in view,
// so the floors that keep them too tell what that costs.
void BenchFirstPaint(const QString& folder) {
    std::vector<double> ratios;
    std::vector<double> cpuRatios;
    for (int run = 1; run <= FirstPaintRuns; ++run) {
        std::printf("2. run %d (load %s)\n", run, qPrintable(LoadAverage()));
        const TFigures viewer = RunInChild({QStringLiteral("paint"), folder});
        const int visible = int(viewer[QStringLiteral("visible")]);
        const TFigures floor = Floor(folder, visible, 1, "plain", "free");
        const TFigures hugeFree = Floor(folder, visible, 1, "huge", "free");
        const TFigures plainKept = Floor(folder, visible, 1, "plain", "keep");
        const TFigures hugeKept = Floor(folder, visible, 1, "huge", "keep");
        const TFigures eighth = Floor(folder, visible, 8, "plain", "free");
        ratios.push_back(Ratio(viewer, floor));
        cpuRatios.push_back(CpuRatio(viewer, floor));
        std::printf("   viewer: Directory set to first complete paint of %d cells: %6.0f ms, cpu "
                    "%5.0f ms, peak %5.0f MiB\n      ratio to the floor %.2f (goal <= 1.2) %s, "
                    "in cpu %.2f; to the floor keeping huge-page pictures %.2f, in cpu %.2f\n",
                    visible, viewer[QStringLiteral("first_paint_ms")],
                    viewer[QStringLiteral("cpu_ms")], viewer[QStringLiteral("peak_mib")],
                    ratios.back(), ratios.back() <= 1.2 ? "met" : "MISSED", cpuRatios.back(),
                    Ratio(viewer, hugeKept), CpuRatio(viewer, hugeKept));
        PrintFloor("floor: libjpeg full size, malloc, freed", floor);
        PrintFloor("libjpeg full size, huge pages, freed", hugeFree);
        PrintFloor("libjpeg full size, malloc, kept", plainKept);
        PrintFloor("libjpeg full size, huge pages, kept", hugeKept);
        PrintFloor("reference only: libjpeg at 1/8, freed", eighth);
        std::printf("3. full repaint with the pictures decoded: median %.2f ms, least %.2f ms\n",
                    viewer[QStringLiteral("repaint_median_ms")],
                    viewer[QStringLiteral("repaint_min_ms")]);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(cpuRatios.begin(), cpuRatios.end());
    std::printf("2. median ratio to the floor over %d runs: %.2f, in cpu %.2f\n", FirstPaintRuns,
                ratios[ratios.size() / 2], cpuRatios[cpuRatios.size() / 2]);
}

void BenchScroll(const QString& folder, bool reduceMemory) {
    std::printf("4. scrolling top to bottom, memory reduction %s (load %s)\n",
                reduceMemory ? "on" : "off", qPrintable(LoadAverage()));
    const TFigures f =
        RunInChild({QStringLiteral("scroll"), folder, QLatin1String(reduceMemory ? "on" : "off")});
    std::printf("   %.0f pages painted in %.1f s%s, %.0f pictures read; at most %.0f pictures held "
                "(%.0f MiB decoded)\n   peak resident %.0f MiB: %.0f MiB before the first "
                "picture, %.0f MiB after the first page\n",
                f[QStringLiteral("pages")], f[QStringLiteral("seconds")],
                f[QStringLiteral("reached_bottom")] > 0 ? ", bottom reached" : ", stopped early",
                f[QStringLiteral("reads")], f[QStringLiteral("held_max")],
                f[QStringLiteral("decoded_mib_max")], f[QStringLiteral("peak_mib")],
                f[QStringLiteral("base_mib")], f[QStringLiteral("first_page_peak_mib")]);
    if (!reduceMemory)
        std::printf("   %.0f pictures held at the end, %.1f MiB resident per picture: %.0f MiB "
                    "for all %d\n",
                    f[QStringLiteral("held_end")], f[QStringLiteral("mib_per_picture")],
                    f[QStringLiteral("mib_per_picture")] * LargeFiles +
                        f[QStringLiteral("base_mib")],
                    LargeFiles);
}

// A folder of 12 copies of a small JPEG whose frame header claims 16000 x 16000 pixels.
QString BombFolder(const QString& cacheRoot) {
    const QString source = LargeJpegFolder(cacheRoot, 1, QSize(64, 64));
    QByteArray bytes;
    for (const QString& name : QDir(source).entryList({QStringLiteral("*.jpg")}))
        if (QFile file(source + QLatin1Char('/') + name); file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0)
        qFatal("no baseline frame header in the sample");
    for (const qsizetype at : {frame + 5, frame + 7}) {
        bytes[at] = char(16000 >> 8);
        bytes[at + 1] = char(16000 & 0xFF);
    }
    const QString folder = cacheRoot + QStringLiteral("/bomb");
    QDir().mkpath(folder);
    for (int i = 0; i < 12; ++i)
        if (QFile file(folder + QStringLiteral("/bomb%1.jpg").arg(i));
            !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the bomb folder");
    return folder;
}

TFigures Screen(const QString& folder, QSize size) {
    return RunInChild({QStringLiteral("screen"), folder, QString::number(size.width()),
                       QString::number(size.height())});
}

void PrintScreen(const TFigures& f) {
    std::printf("   viewer: %.0f cells complete after %5.0f ms, cpu %5.0f ms; UI thread away from "
                "its loop at most %.1f ms (goal <= 50; longest paint %.1f ms); peak %.0f MiB "
                "(goal < 150)\n",
                f[QStringLiteral("visible")], f[QStringLiteral("elapsed_ms")],
                f[QStringLiteral("cpu_ms")], f[QStringLiteral("stall_ms")],
                f[QStringLiteral("paint_max_ms")], f[QStringLiteral("peak_mib")]);
}

// The viewer and the floor, libjpeg at 1/8 on every core, one after the other in each run, so
// both meet the same load; the ratio is the median of the runs'.
void BenchScreen(const char* what, const QString& folder, QSize size) {
    const int cores = QThread::idealThreadCount();
    std::printf("5. %s at %d x %d\n", what, size.width(), size.height());
    std::vector<double> ratios;
    for (int run = 1; run <= ScreenRuns; ++run) {
        std::printf("   run %d (load %s)\n", run, qPrintable(LoadAverage()));
        const TFigures f = Screen(folder, size);
        PrintScreen(f);
        if (folder.endsWith(QLatin1String("/bomb")))
            return;
        const QString visible = QString::number(int(f[QStringLiteral("visible")]));
        const TFigures floor =
            RunInChild({QStringLiteral("parallel-floor"), folder, visible, QString::number(cores)});
        ratios.push_back(f[QStringLiteral("elapsed_ms")] / floor[QStringLiteral("elapsed_ms")]);
        std::printf("   floor: libjpeg at 1/8 on %d threads %5.0f ms, cpu %5.0f ms, peak %.0f MiB: "
                    "ratio %.2f, in cpu %.2f\n",
                    cores, floor[QStringLiteral("elapsed_ms")], floor[QStringLiteral("cpu_ms")],
                    floor[QStringLiteral("peak_mib")], ratios.back(),
                    f[QStringLiteral("cpu_ms")] / floor[QStringLiteral("cpu_ms")]);
    }
    std::sort(ratios.begin(), ratios.end());
    const double median = ratios[ratios.size() / 2];
    std::printf("   median ratio to the floor over %d runs: %.2f (goal <= 1.2) %s\n", ScreenRuns,
                median, median <= 1.2 ? "met" : "MISSED");
}

// Runs the figures named in figures ("1", "2" for 2 and 3, "4"), all of them when none is named.
int RunParent(const QStringList& figures) {
    const auto wanted = [&figures](const char* figure) {
        return figures.isEmpty() || figures.contains(QLatin1String(figure));
    };
    PrintMachine();
    if (wanted("1")) {
        QTemporaryDir small;
        QElapsedTimer making;
        making.start();
        MakeSmallPictures(small.path(), SmallFiles);
        std::printf("made %d small picture files in %lld ms\n", SmallFiles, making.elapsed());
        BenchRescan(small.path());
    }
    if (wanted("5")) {
        const QString cache = QStringLiteral(VELLORIA_BENCH_CACHE);
        BenchScreen("60 photos of 4000 x 3000", LargeJpegFolder(cache, 60, QSize(4000, 3000)),
                    QSize(1280, 800));
        BenchScreen("153 photos of 6000 x 4000", LargeJpegFolder(cache, 153, PhotoSize),
                    QSize(1920, 1080));
        BenchScreen("12 JPEGs claiming 16000 x 16000", BombFolder(cache), QSize(1280, 800));
    }
    if (!wanted("1") && !wanted("2") && !wanted("4"))
        return 0;
    const QString large =
        LargeJpegFolder(QStringLiteral(VELLORIA_BENCH_CACHE), LargeFiles, PhotoSize);
    if (wanted("2"))
        BenchFirstPaint(large);
    if (wanted("4")) {
        BenchScroll(large, true);
        BenchScroll(large, false);
    }
    std::printf("load at the end: %s\n", qPrintable(LoadAverage()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (IsChild())
        return args.value(0) == QLatin1String("child") ? RunChildCase(args.mid(1)) : 2;
    return RunParent(args);
}
