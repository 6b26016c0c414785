// The thumbnail viewer against the floors a viewer without a cache cannot go below:
//   1. rescan of 10,000 small picture files against a bare listing of the folder;
//   2. setting Directory on 300 JPEGs of 6000 x 4000 to the first complete paint of a 433 x 470
//      viewer, against decoding just the visible files with libjpeg (and, for reference only,
//      libjpeg's decoding at 1/8 through its scaled transform);
//   3. one full repaint of that screen once its pictures are decoded;
//   4. peak resident memory while scrolling the folder top to bottom, memory reduction on and off.
// Every case runs in a fresh process: the first decodes of a process pay for its first large
// allocations, as the viewer's do, and each peak resident set is the case's own.
// The JPEGs are made once into the build tree's cache; run: build/<dir>/bench/thumbnail_bench.
#include "BenchFolders.h"
#include "BenchProcess.h"
#include "JpegFloor.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <dirent.h>

namespace {

constexpr int SmallFiles = 10000;
constexpr int LargeFiles = 300;
constexpr QSize PhotoSize(6000, 4000);
constexpr int FirstPaintRuns = 3;
constexpr int ListingRuns = 15;

double Milliseconds(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return double(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bare listing: every entry's name, decoded to text, and whether it is a folder; nothing
// sorted, matched or checked.
qsizetype BareListing(const QString& folder) {
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        qFatal("cannot list %s", qPrintable(folder));
    QStringList names;
    while (const dirent* entry = readdir(dir))
        if (entry->d_type != DT_DIR)
            names.append(QFile::decodeName(entry->d_name));
    closedir(dir);
    return names.size();
}

// The first count files of the folder in name order, case ignored, as the viewer lists them.
QStringList FirstFiles(const QString& folder, int count) {
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    names = names.mid(0, count);
    for (QString& name : names)
        name = folder + QLatin1Char('/') + name;
    return names;
}

// Child: the bare listing, timed ListingRuns times.
void ListingCase(const QString& folder) {
    std::vector<double> times;
    for (int run = 0; run < ListingRuns; ++run)
        times.push_back(Milliseconds([&] {
            if (BareListing(folder) != SmallFiles)
                qFatal("the listing misses files");
        }));
    PutFigure(QStringLiteral("listing_first_ms"), times.front());
    PutFigure(QStringLiteral("listing_median_ms"), Median(times));
}

// Child: decodes the first count files of the folder one after another, each freshly
// allocated and freed, as a viewer without a cache makes them.
void FloorCase(const QString& folder, int count, int scaleDenom, TFloorMemory memory) {
    const QStringList files = FirstFiles(folder, count);
    std::vector<double> times;
    for (const QString& file : files)
        times.push_back(Milliseconds([&] { DecodeFloor(file, scaleDenom, memory); }));
    double total = 0;
    for (double time : times)
        total += time;
    PutFigure(QStringLiteral("total_ms"), total);
    PutFigure(QStringLiteral("first_ms"), times.front());
    PutFigure(QStringLiteral("later_mean_ms"),
              times.size() > 1 ? (total - times.front()) / double(times.size() - 1) : 0);
    PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
}

int RunChildCase(const QStringList& args) {
    const QString name = args.value(0);
    if (name == QLatin1String("listing")) {
        ListingCase(args[1]);
    } else if (name == QLatin1String("floor")) {
        FloorCase(args[1], args[2].toInt(), args[3].toInt(),
                  args[4] == QLatin1String("huge") ? TFloorMemory::HugePageAdvice
                                                   : TFloorMemory::Plain);
    } else {
        std::fprintf(stderr, "unknown case %s\n", qPrintable(name));
        return 2;
    }
    return 0;
}

void PrintMachine() {
    QFile thp(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    QFile defrag(QStringLiteral("/sys/kernel/mm/transparent_hugepage/defrag"));
    thp.open(QIODevice::ReadOnly);
    defrag.open(QIODevice::ReadOnly);
    std::printf("machine: %d cores, load %s; huge pages: %s; defrag: %s\n",
                QThread::idealThreadCount(), qPrintable(LoadAverage()),
                thp.readAll().trimmed().constData(), defrag.readAll().trimmed().constData());
}

void BenchRescan(const QString& folder) {
    const TFigures listing = RunInChild({QStringLiteral("listing"), folder});
    std::printf("1. listing of %d files: bare listing median %.2f ms (first %.2f ms)\n", SmallFiles,
                listing[QStringLiteral("listing_median_ms")],
                listing[QStringLiteral("listing_first_ms")]);
}

void PrintFloor(const char* what, const TFigures& floor) {
    std::printf("   %-34s %8.1f ms total, first %.1f ms, later mean %.1f ms, peak %.0f MiB\n", what,
                floor[QStringLiteral("total_ms")], floor[QStringLiteral("first_ms")],
                floor[QStringLiteral("later_mean_ms")], floor[QStringLiteral("peak_mib")]);
}

void BenchFirstPaint(const QString& folder, int visible) {
    const QString count = QString::number(visible);
    for (int run = 0; run < FirstPaintRuns; ++run) {
        std::printf("2. run %d, %d visible files, load %s\n", run + 1, visible,
                    qPrintable(LoadAverage()));
        PrintFloor("floor: libjpeg full size, malloc",
                   RunInChild({QStringLiteral("floor"), folder, count, QStringLiteral("1"),
                               QStringLiteral("plain")}));
        PrintFloor("floor: libjpeg full size, huge pages",
                   RunInChild({QStringLiteral("floor"), folder, count, QStringLiteral("1"),
                               QStringLiteral("huge")}));
        PrintFloor("reference: libjpeg at 1/8",
                   RunInChild({QStringLiteral("floor"), folder, count, QStringLiteral("8"),
                               QStringLiteral("plain")}));
    }
}

int RunParent() {
    PrintMachine();
    QTemporaryDir small;
    const double making = Milliseconds([&] { MakeSmallPictures(small.path(), SmallFiles); });
    std::printf("made %d small picture files in %.0f ms\n", SmallFiles, making);
    const QString large =
        LargeJpegFolder(QStringLiteral(VELLORIA_BENCH_CACHE), LargeFiles, PhotoSize);
    BenchRescan(small.path());
    BenchFirstPaint(large, 16);
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
    return RunParent();
}
