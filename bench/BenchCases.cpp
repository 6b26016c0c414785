#include "BenchCases.h"

#include "AppShell.h"
#include "BenchProcess.h"
#include "JvImagesViewer.h"
#include "OffscreenViewer.h"
#include "Picture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include <dirent.h>

namespace {

constexpr QSize ViewerSize(433, 470);
// Longer than any paint of a screen of 24-megapixel pictures on a loaded machine.
constexpr int PaintDeadlineMs = 300000;

const QElapsedTimer& Clock() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return clock;
}

// The processor time of the process so far: on a machine shared with others it tells the work
// done apart from the waiting for a turn.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Milliseconds(const std::function<void()>& action) {
    const qint64 start = Clock().nsecsElapsed();
    action();
    return double(Clock().nsecsElapsed() - start) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The viewer with a clock on its paints: how many have ended, and when the last one did.
class TTimedViewer : public TJvImagesViewer {
public:
    int Paints = 0;
    qint64 LastPaintEndNs = 0;
    double LastPaintEndCpuMs = 0;
    double LongestPaintMs = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        Guarded([&] {
            const qint64 start = Clock().nsecsElapsed();
            TJvImagesViewer::paintEvent(event);
            LongestPaintMs = std::max(LongestPaintMs, double(Clock().nsecsElapsed() - start) / 1e6);
            ++Paints;
            LastPaintEndNs = Clock().nsecsElapsed();
            LastPaintEndCpuMs = CpuMilliseconds();
        });
    }
};

void WaitFor(const std::function<bool()>& condition, const char* what) {
    if (!WaitUntil(condition, PaintDeadlineMs))
        qFatal("gave up waiting: %s", what);
}

void Show(TTimedViewer& viewer, bool reduceMemory) {
    SetUpLikeMainWindow(viewer);
    viewer.Options().SetReduceMemoryUsage(reduceMemory);
    viewer.resize(ViewerSize);
    viewer.show();
    WaitFor([&] { return viewer.windowHandle() && viewer.windowHandle()->isExposed(); },
            "the viewer to be shown");
}

// Waits for a paint after the one counted in paintsBefore that left every cell in view drawn.
void WaitForCompletePaint(TTimedViewer& viewer, int paintsBefore) {
    WaitFor([&] { return viewer.Paints > paintsBefore && AllInViewRead(viewer); },
            "a complete paint");
}

struct THeld {
    std::set<int> Indexes; // the items holding a cell picture
    double DecodedMiB = 0; // the cell pictures held, 32 bits a pixel
    int Pictures() const { return int(Indexes.size()); }
};

THeld Held(const TJvImagesViewer& viewer) {
    THeld held;
    for (int i = 0; i < viewer.Count(); ++i)
        if (const TJvPictureItem* item = ExistingItem(viewer, i);
            item && item->CellState() == TJvPictureItem::TCellState::csReady) {
            const QImage& image = item->CellImage();
            held.Indexes.insert(i);
            held.DecodedMiB += double(image.width()) * image.height() * 4 / (1 << 20);
        }
    return held;
}

// How many pictures of now were not held before: each was read and decoded in between.
int NewlyRead(const THeld& before, const THeld& now) {
    return int(std::count_if(now.Indexes.begin(), now.Indexes.end(),
                             [&](int i) { return !before.Indexes.contains(i); }));
}

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

void PutTimes(const QString& name, const std::vector<double>& times) {
    PutFigure(name + QStringLiteral("_first_ms"), times.front());
    PutFigure(name + QStringLiteral("_median_ms"), Median(times));
}

} // namespace

void RescanCase(const QString& folder, int runs) {
    TTimedViewer viewer;
    Show(viewer, true);
    std::vector<double> listing;
    std::vector<double> rescan;
    qsizetype listed = 0;
    for (int run = 0; run < runs; ++run) {
        listing.push_back(Milliseconds([&] { listed = BareListing(folder); }));
        // The folder written two ways: each is a change of Directory, so each rescans.
        const QString directory = run % 2 ? folder : folder + QLatin1Char('/');
        rescan.push_back(Milliseconds([&] { viewer.SetDirectory(directory); }));
    }
    if (viewer.Count() != listed)
        qFatal("the viewer lists %d of %lld files", viewer.Count(), qint64(listed));
    PutTimes(QStringLiteral("listing"), listing);
    PutTimes(QStringLiteral("rescan"), rescan);
    PutFigure(QStringLiteral("items"), viewer.Count());
}

void FloorCase(const QString& folder, int count, int scaleDenom, TFloorMemory memory, bool keep) {
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    std::vector<double> times;
    std::vector<TFloorPicture> kept;
    const double cpuStart = CpuMilliseconds();
    for (const QString& name : names.mid(0, count))
        times.push_back(Milliseconds([&] {
            TFloorPicture picture =
                DecodeFloor(folder + QLatin1Char('/') + name, scaleDenom, memory);
            if (keep)
                kept.push_back(std::move(picture));
        }));
    double total = 0;
    for (double time : times)
        total += time;
    PutFigure(QStringLiteral("total_ms"), total);
    PutFigure(QStringLiteral("cpu_ms"), CpuMilliseconds() - cpuStart);
    PutFigure(QStringLiteral("first_ms"), times.front());
    PutFigure(QStringLiteral("later_mean_ms"),
              times.size() > 1 ? (total - times.front()) / double(times.size() - 1) : 0);
    PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
}

void ParallelFloorCase(const QString& folder, int count, int threads) {
    const QStringList names =
        QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase).mid(0, count);
    std::atomic<qsizetype> next = 0;
    const qint64 start = Clock().nsecsElapsed();
    const double cpuStart = CpuMilliseconds();
    {
        std::vector<std::jthread> workers;
        for (int i = 0; i < threads; ++i)
            workers.emplace_back([&] {
                for (qsizetype at = next++; at < names.size(); at = next++)
                    DecodeFloor(folder + QLatin1Char('/') + names[at], 8, TFloorMemory::Plain);
            });
    }
    PutFigure(QStringLiteral("elapsed_ms"), double(Clock().nsecsElapsed() - start) / 1e6);
    PutFigure(QStringLiteral("cpu_ms"), CpuMilliseconds() - cpuStart);
    PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
}

void FirstPaintCase(const QString& folder, int repaints) {
    TTimedViewer viewer;
    Show(viewer, true);
    const int paintsBefore = viewer.Paints;
    const qint64 start = Clock().nsecsElapsed();
    const double cpuStart = CpuMilliseconds();
    viewer.SetDirectory(folder);
    WaitForCompletePaint(viewer, paintsBefore);
    PutFigure(QStringLiteral("first_paint_ms"), double(viewer.LastPaintEndNs - start) / 1e6);
    PutFigure(QStringLiteral("cpu_ms"), viewer.LastPaintEndCpuMs - cpuStart);
    PutFigure(QStringLiteral("visible"), double(CellsInView(viewer).size()));

    std::vector<double> times;
    const int paintsDone = viewer.Paints;
    for (int run = 0; run < repaints; ++run)
        times.push_back(Milliseconds([&] { viewer.viewport()->repaint(); }));
    if (viewer.Paints != paintsDone + repaints || !AllInViewRead(viewer))
        qFatal("the repaints did not all paint the screen");
    PutFigure(QStringLiteral("repaint_median_ms"), Median(times));
    PutFigure(QStringLiteral("repaint_min_ms"), *std::min_element(times.begin(), times.end()));
    PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
}

void ScrollCase(const QString& folder, bool reduceMemory, double capMiB) {
    TTimedViewer viewer;
    Show(viewer, reduceMemory);
    const double base = ResidentMiB();
    const qint64 start = Clock().nsecsElapsed();
    int paintsBefore = viewer.Paints;
    viewer.SetDirectory(folder);
    WaitForCompletePaint(viewer, paintsBefore);
    const double firstPagePeak = PeakResidentMiB();
    QScrollBar& bar = *viewer.verticalScrollBar();
    int pages = 1;
    THeld held = Held(viewer);
    THeld most = held;
    int reads = held.Pictures();
    while (bar.value() < bar.maximum() && (reduceMemory || ResidentMiB() < capMiB)) {
        paintsBefore = viewer.Paints;
        bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
        WaitForCompletePaint(viewer, paintsBefore);
        ++pages;
        THeld now = Held(viewer);
        reads += NewlyRead(held, now);
        held = std::move(now);
        if (held.DecodedMiB > most.DecodedMiB)
            most = held;
    }
    PutFigure(QStringLiteral("pages"), pages);
    PutFigure(QStringLiteral("seconds"), double(Clock().nsecsElapsed() - start) / 1e9);
    PutFigure(QStringLiteral("reads"), reads);
    PutFigure(QStringLiteral("reached_bottom"), bar.value() == bar.maximum() ? 1 : 0);
    PutFigure(QStringLiteral("held_max"), most.Pictures());
    PutFigure(QStringLiteral("decoded_mib_max"), most.DecodedMiB);
    PutFigure(QStringLiteral("held_end"), held.Pictures());
    PutFigure(QStringLiteral("first_page_peak_mib"), firstPagePeak);
    PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
    PutFigure(QStringLiteral("base_mib"), base);
    PutFigure(QStringLiteral("mib_per_picture"),
              held.Pictures() > 0 ? (ResidentMiB() - base) / held.Pictures() : 0);
}

void ScreenCase(const QString& folder, QSize size) {
    TTimedViewer viewer;
    SetUpLikeMainWindow(viewer);
    viewer.resize(size);
    viewer.show();
    WaitFor([&] { return viewer.windowHandle() && viewer.windowHandle()->isExposed(); },
            "the viewer to be shown");
    double stallMs = 0;
    QElapsedTimer beat;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        stallMs = std::max(stallMs, double(beat.nsecsElapsed()) / 1e6 - ticker.interval());
        beat.restart();
    });
    const qint64 start = Clock().nsecsElapsed();
    const double cpuStart = CpuMilliseconds();
    // Set from the loop, so that the listing counts as time away from it.
    QTimer::singleShot(0, &viewer, [&] { viewer.SetDirectory(folder); });
    beat.start();
    ticker.start(10);
    WaitFor([&] { return viewer.Count() > 0 && AllInViewRead(viewer); }, "every cell in view");
    viewer.viewport()->repaint();
    PutFigure(QStringLiteral("elapsed_ms"), double(Clock().nsecsElapsed() - start) / 1e6);
    PutFigure(QStringLiteral("cpu_ms"), CpuMilliseconds() - cpuStart);
    PutFigure(QStringLiteral("stall_ms"), stallMs);
    PutFigure(QStringLiteral("paint_max_ms"), viewer.LongestPaintMs);
    PutFigure(QStringLiteral("visible"), double(CellsInView(viewer).size()));
    PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
}
