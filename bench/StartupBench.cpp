// The real velloria program on a private Xvfb, timed from outside as a person would see it:
//   1. start-up, from exec to the moment the thumbnail viewer's pixels on the screen show every
//      cell in view drawn and stay so, on 300 JPEGs of 6000 x 4000 and, for what the window
//      itself costs, on an empty folder; beside them the decoding floor of the cells in view;
//   2. Ctrl+W on a GIF of 6000 x 4000 until the root window names a new wallpaper pixmap,
//      against converting the same file with velloria-picture;
//   3. Velloria beside Nitrogen, Debian's wallpaper browser, on the same photo folder and screen,
//      each window made to fill the screen once mapped: from exec until the screen stays
//      unchanged, the program's processor time and its peak resident memory; for 60 photos of
//      4000 x 3000 at 1280 x 800 and 153 of 6000 x 4000 at 1920 x 1080.
// Every start is a fresh process with a fresh HOME and its own X server. The screen is read with
// GetImage every PollMs: a figure is late by at most that interval and one read.
// Run: build/<dir>/bench/startup_bench [1] [2] [3] (nothing for all).
#include "BenchCases.h"
#include "BenchFolders.h"
#include "BenchProcess.h"
#include "GifSamples.h"
#include "JvImagesViewer.h"
#include "OffscreenViewer.h"
#include "PictureFormats.h"
#include "SessionEnvironment.h"
#include "TestXvfb.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr int Runs = 5;
constexpr int PollMs = 10;
// The screen counts as settled once it has not changed for this long.
constexpr int QuietMs = 3000;
constexpr int DeadlineMs = 180000;
// Where the designed main window puts its thumbnail viewer: right of the panel, under the bar,
// above the status bar (client area 646 x 524).
const QRect ViewerInWindow(213, 26, 646 - 213, 524 - 26 - 19);
const char* const ScreenSize = "1024x768x24";

// Ends the benchmark through main, so that every X server and program started is stopped.
[[noreturn]] void Fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Processor time (user and system) a process has used so far, in ms; 0 once it is gone.
double ProcessCpuMs(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command name, which may hold spaces, start at state (field 3).
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// A connection to the private X server and the few questions asked of it.
class TScreen {
public:
    explicit TScreen(const QString& display)
        : FConnection(xcb_connect(display.toLatin1().constData(), nullptr)) {
        if (xcb_connection_has_error(FConnection))
            Fail(QStringLiteral("cannot connect to ") + display);
        FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
        FNameAtom = Atom("_NET_WM_NAME");
        FRootPixmapAtom = Atom("_XROOTPMAP_ID");
    }
    ~TScreen() { xcb_disconnect(FConnection); }
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;

    // The mapped top-level window titled title, or 0.
    xcb_window_t FindWindow(const QByteArray& title) const {
        auto* tree = xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, FRoot), nullptr);
        xcb_window_t found = 0;
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree) : nullptr;
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree) && !found; ++i)
            if (IsViewable(children[i]) && Property(children[i], FNameAtom) == title)
                found = children[i];
        std::free(tree);
        return found;
    }
    // Puts the window at the screen's top left corner at the given size, as maximising would.
    void Fill(xcb_window_t window, QSize size) const {
        const quint32 values[] = {0, 0, quint32(size.width()), quint32(size.height())};
        xcb_configure_window(FConnection, window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT,
                             values);
        xcb_flush(FConnection);
    }
    // Where the window's top-left corner is on the screen.
    QPoint Origin(xcb_window_t window) const {
        auto* reply = xcb_translate_coordinates_reply(
            FConnection, xcb_translate_coordinates(FConnection, window, FRoot, 0, 0), nullptr);
        const QPoint origin = reply ? QPoint(reply->dst_x, reply->dst_y) : QPoint();
        std::free(reply);
        return origin;
    }
    // The screen's pixels in rect (windows included), 32 bits each, row by row.
    QByteArray Pixels(const QRect& rect) const {
        auto* image =
            xcb_get_image_reply(FConnection,
                                xcb_get_image(FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, FRoot,
                                              rect.x(), rect.y(), rect.width(), rect.height(), ~0u),
                                nullptr);
        QByteArray pixels;
        if (image)
            pixels = QByteArray(reinterpret_cast<const char*>(xcb_get_image_data(image)),
                                xcb_get_image_data_length(image));
        std::free(image);
        return pixels;
    }
    // The wallpaper pixmap the root window names, or 0.
    quint32 RootPixmap() const {
        const QByteArray value = Property(FRoot, FRootPixmapAtom);
        quint32 pixmap = 0;
        if (value.size() == 4)
            std::memcpy(&pixmap, value.constData(), 4);
        return pixmap;
    }

private:
    xcb_connection_t* FConnection;
    xcb_window_t FRoot = 0;
    xcb_atom_t FNameAtom = 0;
    xcb_atom_t FRootPixmapAtom = 0;

    xcb_atom_t Atom(const char* name) const {
        auto* reply = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    bool IsViewable(xcb_window_t window) const {
        auto* attributes = xcb_get_window_attributes_reply(
            FConnection, xcb_get_window_attributes(FConnection, window), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return viewable;
    }
    QByteArray Property(xcb_window_t window, xcb_atom_t atom) const {
        auto* reply = xcb_get_property_reply(
            FConnection,
            xcb_get_property(FConnection, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
            nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    }
};

// One private session: its X server, its HOME, and the program started in it.
class TSession {
public:
    explicit TSession(const QString& screen = QLatin1String(ScreenSize)) : FXvfb(screen) {
        if (FXvfb.Display().isEmpty() || !FHome.isValid())
            Fail(QStringLiteral("cannot start Xvfb or make a home folder"));
        FScreen.emplace(FXvfb.Display());
    }
    ~TSession() {
        FProgram.kill();
        FProgram.waitForFinished(DeadlineMs);
    }

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = PrivateSessionEnvironment(FHome.path(), FXvfb.Display());
        env.remove(QStringLiteral("VELLORIA_BENCH_CHILD"));
        return env;
    }
    // Runs a helper program in the session to its end and gives back its output.
    QString Run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(program, arguments);
        if (!process.waitForFinished(DeadlineMs) || process.exitCode() != 0)
            Fail(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) +
                 QStringLiteral(" failed"));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    void StartProgram(const QStringList& arguments,
                      const QString& program = QStringLiteral(VELLORIA_PROGRAM)) {
        FProgram.setProcessEnvironment(Environment());
        FProgram.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProgram.start(program, arguments);
    }
    void CheckProgramRuns() const {
        if (FProgram.state() == QProcess::NotRunning)
            Fail(FProgram.program() + QStringLiteral(" stopped"));
    }
    qint64 ProgramPid() const { return FProgram.processId(); }
    const TScreen& Screen() const { return *FScreen; }

private:
    TTestXvfb FXvfb;
    QTemporaryDir FHome;
    std::optional<TScreen> FScreen;
    QProcess FProgram;
};

// What a start showed: when the window was mapped, when its viewer last changed, and how.
struct TStart {
    double MappedMs = 0;
    double SettledMs = 0;
    double CpuMs = 0; // the program's processor time once settled
    double PeakMiB = 0;
    double SlowestReadMs = 0;
    int Changes = 0;
    xcb_window_t Window = 0;
    QRect Viewer; // on the screen
    QByteArray Pixels;
};

// What is watched: the window titled Title and, with Fill set, the whole screen of that size,
// the window made to fill it once mapped; else the viewer in Velloria's designed window.
struct TWatch {
    QByteArray Title = "Velloria";
    std::optional<QSize> Fill;
};

// Polls the screen from the program's exec until the watched pixels have not changed for
// QuietMs; timer runs from the exec.
TStart WatchStart(TSession& session, const QElapsedTimer& timer, const TWatch& watch = {}) {
    TStart start;
    double changedAt = 0;
    while (timer.elapsed() < DeadlineMs) {
        session.CheckProgramRuns();
        const double now = double(timer.nsecsElapsed()) / 1e6;
        if (!start.Window && (start.Window = session.Screen().FindWindow(watch.Title))) {
            start.MappedMs = now;
            if (watch.Fill)
                session.Screen().Fill(start.Window, *watch.Fill);
        }
        if (start.Window) {
            start.Viewer = watch.Fill
                               ? QRect(QPoint(), *watch.Fill)
                               : ViewerInWindow.translated(session.Screen().Origin(start.Window));
            const QByteArray pixels = session.Screen().Pixels(start.Viewer);
            start.SlowestReadMs =
                std::max(start.SlowestReadMs, double(timer.nsecsElapsed()) / 1e6 - now);
            if (pixels != start.Pixels) {
                start.Pixels = pixels;
                start.SettledMs = changedAt = now;
                ++start.Changes;
            } else if (now - changedAt >= QuietMs) {
                start.CpuMs = ProcessCpuMs(session.ProgramPid());
                start.PeakMiB = ProcessPeakMiB(session.ProgramPid());
                return start;
            }
        }
        QThread::msleep(PollMs);
    }
    Fail(QStringLiteral("the screen did not settle in %1 ms").arg(DeadlineMs));
}

TStart StartAndWatch(TSession& session, const QString& folder) {
    QElapsedTimer timer;
    timer.start();
    session.StartProgram({folder});
    return WatchStart(session, timer);
}

// The cells a viewer the size of the main window's shows first on folder, in viewport
// coordinates, and where the viewport sits in the viewer.
struct TCells {
    std::vector<QRect> Rects;
    QPoint Viewport;
};

TCells CellsOf(const QString& folder) {
    TJvImagesViewer viewer;
    SetUpLikeMainWindow(viewer);
    viewer.resize(ViewerInWindow.size());
    viewer.SetDirectory(folder);
    TCells cells;
    for (int index : CellsInView(viewer))
        cells.Rects.push_back(viewer.ItemRect(index));
    cells.Viewport = viewer.viewport()->geometry().topLeft();
    return cells;
}

quint32 PixelAt(const QByteArray& pixels, QPoint at) {
    quint32 value = 0;
    std::memcpy(&value,
                pixels.constData() + (qsizetype(at.y()) * ViewerInWindow.width() + at.x()) * 4, 4);
    return value;
}

// How many cells show a picture: most of the middle of the cell differs from the empty viewer.
int DrawnCells(const TCells& cells, const QByteArray& pixels, const QByteArray& empty) {
    const QRect viewer(QPoint(0, 0), ViewerInWindow.size());
    int drawn = 0;
    for (const QRect& cell : cells.Rects) {
        const QRect middle =
            QRect(0, 0, 40, 24).translated(cell.center() - QPoint(20, 12) + cells.Viewport) &
            viewer;
        int differing = 0;
        for (int y = middle.top(); y <= middle.bottom(); ++y)
            for (int x = middle.left(); x <= middle.right(); ++x)
                differing += PixelAt(pixels, {x, y}) != PixelAt(empty, {x, y});
        drawn += !middle.isEmpty() && differing * 2 > middle.width() * middle.height();
    }
    return drawn;
}

// A 256-colour picture with gradients, bands and noise, so that its LZW codes are of a
// photo's kind rather than of a flat colour's.
QByteArray MakeLargeGif(QSize size) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << qRgb(i, (i * 7) & 255, 255 - i);
    TGifSampleFrame frame;
    frame.Width = size.width();
    frame.Height = size.height();
    frame.Indexes.resize(qsizetype(size.width()) * size.height());
    QRandomGenerator random(42);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            frame.Indexes[qsizetype(y) * size.width() + x] =
                char((x / 24 + y / 16 + (((x + y) / 300) % 2) * 64 + int(random.bounded(3))) & 255);
    TGifSampleWriter writer(size.width(), size.height(), table);
    writer.AddFrame(frame);
    return writer.Bytes();
}

QString LargeGifFolder(const QString& cacheRoot, QSize size) {
    const QString folder =
        QStringLiteral("%1/gif-%2x%3-v1").arg(cacheRoot).arg(size.width()).arg(size.height());
    const QString name = folder + QStringLiteral("/large.gif");
    if (QFile::exists(name))
        return folder;
    QDir().mkpath(folder);
    QElapsedTimer timer;
    timer.start();
    QFile file(name + QStringLiteral(".part"));
    const QByteArray bytes = MakeLargeGif(size);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !QFile::rename(file.fileName(), name))
        Fail(QStringLiteral("cannot write ") + name);
    std::printf("made %s (%lld bytes) in %lld ms\n", qPrintable(name), qint64(bytes.size()),
                timer.elapsed());
    return folder;
}

struct TStartFigures {
    std::vector<double> Settled, Mapped, Cpu;
};

void PrintStart(const char* what, const TStart& start) {
    std::printf("   %-22s window mapped %6.0f ms, viewer settled %6.0f ms after exec "
                "(%d changes, slowest read %.1f ms), cpu %6.0f ms\n",
                what, start.MappedMs, start.SettledMs, start.Changes, start.SlowestReadMs,
                start.CpuMs);
}

void AddStart(TStartFigures& figures, const TStart& start) {
    figures.Settled.push_back(start.SettledMs);
    figures.Mapped.push_back(start.MappedMs);
    figures.Cpu.push_back(start.CpuMs);
}

void PrintMedians(const char* what, const TStartFigures& figures) {
    std::printf("   median %-15s mapped %6.0f ms, settled %6.0f ms, cpu %6.0f ms\n", what,
                Median(figures.Mapped), Median(figures.Settled), Median(figures.Cpu));
}

void BenchStartup(const QString& photos) {
    QTemporaryDir empty;
    const TCells cells = CellsOf(photos);
    std::printf("1. start-up to the viewer settled, %d runs; %zu cells in view; screen read every "
                "%d ms, settled = unchanged for %d ms\n",
                Runs, cells.Rects.size(), PollMs, QuietMs);
    TStartFigures photoFigures, emptyFigures;
    std::vector<double> floors;
    for (int run = 1; run <= Runs; ++run) {
        std::printf("   run %d (load %s)\n", run, qPrintable(LoadAverage()));
        TStart bare;
        {
            TSession session;
            bare = StartAndWatch(session, empty.path());
        }
        PrintStart("empty folder:", bare);
        AddStart(emptyFigures, bare);
        TSession session;
        const TStart full = StartAndWatch(session, photos);
        PrintStart("300 JPEGs:", full);
        std::printf("   %-22s %d of %zu cells show a picture\n", "",
                    DrawnCells(cells, full.Pixels, bare.Pixels), cells.Rects.size());
        AddStart(photoFigures, full);
        const TFigures floor =
            RunInChild({QStringLiteral("floor"), photos, QString::number(cells.Rects.size())});
        floors.push_back(floor[QStringLiteral("total_ms")]);
        std::printf("   %-22s libjpeg full size of the %zu files in view: %6.0f ms, cpu %6.0f ms\n",
                    "floor:", cells.Rects.size(), floor[QStringLiteral("total_ms")],
                    floor[QStringLiteral("cpu_ms")]);
    }
    PrintMedians("empty folder:", emptyFigures);
    PrintMedians("300 JPEGs:", photoFigures);
    std::printf("   median floor: %.0f ms\n", Median(floors));
}

// Starts the program on folder, selects its first thumbnail with the mouse and gives back the
// time from typing Ctrl+W to the root window naming a new pixmap (polled every ms); cpuMs is the
// program's processor time in between, keyMs when xdotool had sent the key and ended (-1: later).
double ChangeOnce(const QString& folder, double& cpuMs, double& keyMs) {
    keyMs = -1;
    TSession session;
    const TStart start = StartAndWatch(session, folder);
    const QString window = QString::number(start.Window);
    const TCells cells = CellsOf(folder);
    const QPoint cell = cells.Rects.at(0).center() + cells.Viewport + ViewerInWindow.topLeft();
    session.Run(QStringLiteral("xdotool"),
                {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    session.Run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                 QString::number(cell.x()), QString::number(cell.y()), QStringLiteral("click"),
                 QStringLiteral("1")});
    // The selection shows before the key goes.
    QElapsedTimer timer;
    timer.start();
    while (session.Screen().Pixels(start.Viewer) == start.Pixels && timer.elapsed() < DeadlineMs)
        QThread::msleep(PollMs);
    const quint32 before = session.Screen().RootPixmap();
    const double cpuBefore = ProcessCpuMs(session.ProgramPid());
    QProcess key;
    key.setProcessEnvironment(session.Environment());
    timer.restart();
    key.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
                                          QStringLiteral("ctrl+w")});
    while (session.Screen().RootPixmap() == before && timer.elapsed() < DeadlineMs) {
        session.CheckProgramRuns();
        if (keyMs < 0 && key.waitForFinished(0))
            keyMs = double(timer.nsecsElapsed()) / 1e6;
        QThread::msleep(1);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    cpuMs = ProcessCpuMs(session.ProgramPid()) - cpuBefore;
    if (keyMs < 0 && !key.waitForFinished(DeadlineMs))
        Fail(QStringLiteral("xdotool key did not end"));
    if (key.exitCode() != 0)
        Fail(QStringLiteral("xdotool key failed"));
    const QString shown =
        session.Run(QStringLiteral(VELLORIA_DESKTOP_TOOL), {QStringLiteral("get")});
    if (!shown.contains(QStringLiteral("/Velloria/VL%large.bmp")))
        Fail(QStringLiteral("the desktop shows ") + shown);
    return ms;
}

double ConvertOnce(const QString& gif) {
    QTemporaryDir out;
    QProcess convert;
    QElapsedTimer timer;
    timer.start();
    convert.start(QStringLiteral(VELLORIA_PICTURE_TOOL),
                  {QStringLiteral("convert"), gif, out.path() + QStringLiteral("/large.bmp")});
    if (!convert.waitForFinished(DeadlineMs) || convert.exitCode() != 0)
        Fail(QStringLiteral("velloria-picture convert failed"));
    return double(timer.nsecsElapsed()) / 1e6;
}

void BenchChange(const QString& gifFolder) {
    std::printf("2. Ctrl+W on a GIF of %d x %d to the root window's new pixmap, %d runs; against "
                "velloria-picture convert, exec to exit\n",
                PhotoSize.width(), PhotoSize.height(), Runs);
    std::vector<double> changes, converts;
    for (int run = 1; run <= Runs; ++run) {
        double cpu = 0, key = 0;
        changes.push_back(ChangeOnce(gifFolder, cpu, key));
        converts.push_back(ConvertOnce(gifFolder + QStringLiteral("/large.gif")));
        std::printf("   run %d (load %s): Ctrl+W %6.0f ms (xdotool done at %4.0f ms, program cpu "
                    "%6.0f ms), convert %6.0f ms\n",
                    run, qPrintable(LoadAverage()), changes.back(), key, cpu, converts.back());
    }
    std::printf("   median: Ctrl+W %.0f ms, convert %.0f ms, ratio %.2f\n", Median(changes),
                Median(converts), Median(changes) / Median(converts));
}

// One start of program on folder in a screen of the given size, the window filling it.
TStart FillingStart(const QString& program, const QByteArray& title, const QString& folder,
                    QSize screen) {
    TSession session(QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()));
    QElapsedTimer timer;
    timer.start();
    session.StartProgram({folder}, program);
    return WatchStart(session, timer, {title, screen});
}

void BenchBesideNitrogen(const char* what, const QString& folder, QSize screen) {
    const QString nitrogen = QStandardPaths::findExecutable(QStringLiteral("nitrogen"));
    if (nitrogen.isEmpty())
        Fail(QStringLiteral("nitrogen is not installed"));
    std::printf("3. %s at %d x %d, Velloria and Nitrogen alternately, %d runs; fresh HOME each "
                "(Nitrogen's thumbnail cache empty)\n",
                what, screen.width(), screen.height(), Runs);
    TStartFigures ours, theirs;
    std::vector<double> oursPeak, theirsPeak;
    for (int run = 1; run <= Runs; ++run) {
        std::printf("   run %d (load %s)\n", run, qPrintable(LoadAverage()));
        const TStart velloria =
            FillingStart(QStringLiteral(VELLORIA_PROGRAM), "Velloria", folder, screen);
        const TStart other = FillingStart(nitrogen, "Nitrogen", folder, screen);
        for (const auto& [name, start] :
             {std::pair{"Velloria:", &velloria}, {"Nitrogen:", &other}}) {
            PrintStart(name, *start);
            std::printf("   %-22s peak resident %6.1f MiB\n", "", start->PeakMiB);
        }
        AddStart(ours, velloria);
        AddStart(theirs, other);
        oursPeak.push_back(velloria.PeakMiB);
        theirsPeak.push_back(other.PeakMiB);
    }
    PrintMedians("Velloria:", ours);
    std::printf("   %-22s peak %6.1f MiB\n", "", Median(oursPeak));
    PrintMedians("Nitrogen:", theirs);
    std::printf("   %-22s peak %6.1f MiB\n", "", Median(theirsPeak));
    std::printf("   ratio Velloria / Nitrogen: settled %.2f, cpu %.2f, peak %.2f\n",
                Median(ours.Settled) / Median(theirs.Settled),
                Median(ours.Cpu) / Median(theirs.Cpu), Median(oursPeak) / Median(theirsPeak));
}

int RunChildCase(const QStringList& args) {
    RegisterPictureFormats();
    if (args.value(0) != QLatin1String("floor") || args.size() != 3)
        return 2;
    FloorCase(args[1], args[2].toInt(), 1, TFloorMemory::Plain, false);
    return 0;
}

int RunParent(const QStringList& figures) {
    const auto wanted = [&figures](const char* figure) {
        return figures.isEmpty() || figures.contains(QLatin1String(figure));
    };
    RegisterPictureFormats();
    std::printf("machine: %d cores, load %s\n", QThread::idealThreadCount(),
                qPrintable(LoadAverage()));
    const QString cache = QStringLiteral(VELLORIA_BENCH_CACHE);
    if (wanted("1"))
        BenchStartup(LargeJpegFolder(cache, LargeFiles, PhotoSize));
    if (wanted("2"))
        BenchChange(LargeGifFolder(cache, PhotoSize));
    if (wanted("3")) {
        BenchBesideNitrogen("60 photos of 4000 x 3000",
                            LargeJpegFolder(cache, 60, QSize(4000, 3000)), QSize(1280, 800));
        BenchBesideNitrogen("153 photos of 6000 x 4000", LargeJpegFolder(cache, 153, PhotoSize),
                            QSize(1920, 1080));
    }
    std::printf("load at the end: %s\n", qPrintable(LoadAverage()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The benchmark's own viewer, which only counts cells, needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (IsChild())
        return args.value(0) == QLatin1String("child") ? RunChildCase(args.mid(1)) : 2;
    try {
        return RunParent(args);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "startup_bench: %s\n", error.what());
        return 1;
    }
}
