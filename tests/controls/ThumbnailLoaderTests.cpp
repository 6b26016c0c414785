// Cell pictures read off the UI thread: what a cell keeps, how cells fill in, the work dropped
// when the view or the folder moves on, and the failures a cell shows instead of a message box.
#include "ViewerTestSupport.h"

#include "../TestReports.h"
#include "AppShell.h"
#include "BmpWriter.h"
#include "FileFormats.h"
#include "JvThumbnailLoader.h"
#include "Picture.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Holds every read of a stand-in picture until the test lets it through, and records which
// files were started, so that a test can see which work ran and which was dropped.
class TReadGate {
public:
    void Pass(const QString& fileName) {
        std::unique_lock lock(FLock);
        FStarted << QFileInfo(fileName).fileName();
        FChanged.notify_all();
        FChanged.wait(lock, [this] { return FOpen; });
    }
    void Open() {
        const std::lock_guard lock(FLock);
        FOpen = true;
        FChanged.notify_all();
    }
    void Close() {
        const std::lock_guard lock(FLock);
        FOpen = false;
        FStarted.clear();
    }
    QStringList Started() {
        const std::lock_guard lock(FLock);
        return FStarted;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FOpen = false;
    QStringList FStarted;
};

TReadGate& Gate() {
    static TReadGate gate;
    return gate;
}

// A test double of a picture format (no real reader can be made to wait for a test): a green
// 64 x 64 picture whose thumbnail read waits at the gate. Each file holds its own name.
class TGatedStandInGraphic : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE TGatedStandInGraphic() = default;
    int Width() const override { return 64; }
    int Height() const override { return 64; }
    bool Empty() const override { return false; }
    void Draw(QPainter& canvas, const QRect& rect) override { canvas.fillRect(rect, Qt::green); }
    void LoadFromBytes(const QByteArray&) override {}
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize&) override {
        Gate().Pass(QString::fromUtf8(file.readAll()));
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(Qt::green);
        return {QSize(64, 64), image};
    }
};

QString GateName(int index) {
    return QString("g%1.gate").arg(index, 3, 10, QChar('0'));
}

// A shown viewer listing dir's stand-in pictures, the gate closed.
std::unique_ptr<TJvImagesViewer> GatedViewer(const QTemporaryDir& dir, int files) {
    RegisterFormatsOnce();
    static const bool registered = [] {
        FileFormats().Add("gate", "Gated stand-in", &TGatedStandInGraphic::staticMetaObject);
        return true;
    }();
    (void)registered;
    Gate().Close();
    for (int i = 0; i < files; ++i)
        WriteBytes(dir, GateName(i), GateName(i).toUtf8());
    auto viewer = ShownViewer();
    viewer->SetFileMask("*.gate");
    viewer->SetDirectory(dir.path());
    return viewer;
}

TThumbnailResult Read(const QString& fileName, QSize box = QSize(100, 100)) {
    RegisterFormatsOnce();
    return ReadCellPicture(TThumbnailJob{nullptr, fileName, box, false});
}

// A picture with detail in both directions, so that a resampling fault shows.
QString WritePatternBmp(const QTemporaryDir& dir, const QString& name, QSize size) {
    TDib dib;
    dib.Image = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            dib.Image.setPixel(x, y, qRgb(x * 255 / size.width(), y * 255 / size.height(), 96));
    dib.BitsPerPixel = 24;
    return WriteBytes(dir, name, WriteBmp(dib));
}

// The mean difference of the colour channels of two images of one size.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

struct KeptCase {
    const char* Name;
    QSize Picture;
    QSize Box;
    bool Jpeg;
};

void PrintTo(const KeptCase& kept, std::ostream* out) {
    *out << kept.Name;
}

class KeptPerCell : public ::testing::TestWithParam<KeptCase> {};

// A cell keeps at most the picture fitted into its box, never the original; a picture that
// fits is kept at its own size; the picture's own size travels with it.
TEST_P(KeptPerCell, NoLargerThanTheFittedPicture) {
    QTemporaryDir dir;
    const KeptCase& kept = GetParam();
    const QString file =
        kept.Jpeg ? WriteJpeg(dir, "p.jpg", kept.Picture) : WriteBmp(dir, "p.bmp", kept.Picture);
    const TThumbnailResult result = Read(file, kept.Box);
    ASSERT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    EXPECT_EQ(result.PictureSize, kept.Picture);
    const QSize fitted = FitPicture(kept.Picture, QRect(QPoint(), kept.Box)).size();
    EXPECT_EQ(result.Image.size(), fitted);
}

INSTANTIATE_TEST_SUITE_P(
    ThumbnailLoader, KeptPerCell,
    ::testing::Values(KeptCase{"WideBmp", QSize(400, 300), QSize(100, 100), false},
                      KeptCase{"TallBmp", QSize(30, 900), QSize(100, 100), false},
                      KeptCase{"FitsAlready", QSize(20, 10), QSize(100, 100), false},
                      KeptCase{"ExactlyTheBox", QSize(100, 100), QSize(100, 100), false},
                      KeptCase{"OnePixelTooWide", QSize(101, 100), QSize(100, 100), false},
                      KeptCase{"LargeJpeg", QSize(1600, 1200), QSize(96, 96), true},
                      KeptCase{"NarrowBox", QSize(640, 480), QSize(7, 300), true}),
    [](const auto& info) { return std::string(info.param.Name); });

// What a cell draws from its small copy looks as the whole picture drawn shrunk into the cell.
TEST(ThumbnailLoader, CellLooksAsTheShrunkWholePicture) {
    QTemporaryDir dir;
    const QString file = WritePatternBmp(dir, "a.bmp", QSize(900, 600));
    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllInViewArrived(*viewer); }, Deadline));
    const QRect fitted = FitPicture(QSize(900, 600), viewer->PictureRect(0));
    const QImage cell = Grab(*viewer).copy(fitted);

    TPicture picture;
    picture.LoadFromFile(file);
    QImage shrunk(fitted.size(), QImage::Format_RGB32);
    QPainter painter(&shrunk);
    picture.Graphic()->Draw(painter, shrunk.rect());
    painter.end();
    EXPECT_LT(MeanDifference(cell, shrunk), 3.0);
}

// The paint hands the work out and returns: the cell shows empty (framed) until its picture
// arrives, then the picture.
TEST(ThumbnailLoader, CellsFillInWithoutPaintWaiting) {
    QTemporaryDir dir;
    auto viewer = GatedViewer(dir, 1);
    viewer->viewport()->repaint();
    const QPoint centre = viewer->PictureRect(0).center();
    const QColor base = viewer->palette().color(QPalette::Base);
    const QImage before = Grab(*viewer);
    EXPECT_EQ(QColor(before.pixel(centre)), base);
    EXPECT_EQ(QColor(before.pixel(viewer->ItemRect(0).topLeft())), QColor(128, 128, 128));
    EXPECT_EQ(viewer->Items(0)->CellState(), TJvPictureItem::TCellState::csWaiting);
    Gate().Open();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QColor(Grab(*viewer).pixel(centre)) == QColor(Qt::green); }, Deadline));
}

// Work for cells scrolled out of view before a worker took it is never started; the cells now
// in view are read in reading order after those already under way.
TEST(ThumbnailLoader, WorkForCellsThatLeftTheViewIsDropped) {
    QTemporaryDir dir;
    auto viewer = GatedViewer(dir, 200);
    Grab(*viewer);
    const int firstScreen = viewer->LastVisibleIndex() + 1;
    const int workers = TJvThumbnailLoader::WorkersForThisMachine();
    ASSERT_GT(firstScreen, workers + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Gate().Started().size() == workers; }, Deadline));
    EXPECT_EQ(viewer->Loader().Queued(), firstScreen - workers);
    QScrollBar* bar = viewer->verticalScrollBar();
    bar->setValue(bar->maximum());
    Grab(*viewer);
    const int first = viewer->FirstVisibleIndex();
    const int last = viewer->LastVisibleIndex();
    Gate().Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllInViewArrived(*viewer); }, Deadline));
    QStringList expected;
    for (int i = 0; i < workers; ++i)
        expected << GateName(i);
    QStringList started = Gate().Started();
    const QStringList already = started.mid(0, workers);
    EXPECT_EQ(QSet<QString>(already.begin(), already.end()),
              QSet<QString>(expected.begin(), expected.end()));
    QStringList later = started.mid(workers);
    std::sort(later.begin(), later.end());
    expected.clear();
    for (int i = first; i <= last; ++i)
        expected << GateName(i);
    EXPECT_EQ(later, expected);
}

// Leaving the folder drops its queued work, and what was being read for it is never shown.
TEST(ThumbnailLoader, WorkForAFolderLeftIsDropped) {
    QTemporaryDir dir;
    auto viewer = GatedViewer(dir, 40);
    Grab(*viewer);
    const int workers = TJvThumbnailLoader::WorkersForThisMachine();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Gate().Started().size() == workers; }, Deadline));
    QTemporaryDir other;
    WriteBmp(other, "red.bmp", QSize(16, 16));
    viewer->SetFileMask("*.gate;*.bmp");
    viewer->SetDirectory(other.path());
    EXPECT_EQ(viewer->Loader().Queued(), 0);
    Gate().Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllInViewArrived(*viewer); }, Deadline));
    ASSERT_EQ(viewer->Count(), 1);
    EXPECT_EQ(viewer->Items(0)->CellImage().size(), QSize(16, 16));
    EXPECT_EQ(Gate().Started().size(), workers);
}

// Closing the viewer while a worker is held returns at once, and the late result goes nowhere.
TEST(ThumbnailLoader, ClosingNeverWaitsForAWorker) {
    QTemporaryDir dir;
    auto viewer = GatedViewer(dir, 1);
    Grab(*viewer);
    ASSERT_TRUE(QTest::qWaitFor([] { return Gate().Started().size() == 1; }, Deadline));
    viewer.reset();
    Gate().Open();
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(QTest::qWaitFor([&ran] { return ran; }, Deadline));
}

struct FailureCase {
    const char* Name;
    std::function<QString(const QTemporaryDir&)> Make;
    QString Reason;
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.Name;
}

class CellFailures : public ::testing::TestWithParam<FailureCase> {};

// Every file that gives no picture says why, naming the file, and never blocks the worker.
TEST_P(CellFailures, NameTheFile) {
    QTemporaryDir dir;
    const QString file = GetParam().Make(dir);
    const TThumbnailResult result = Read(file);
    EXPECT_TRUE(result.Image.isNull());
    EXPECT_TRUE(result.Error.contains(file))
        << result.Error.toStdString() << " " << result.Image.width();
    EXPECT_TRUE(result.Error.contains(GetParam().Reason)) << result.Error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    ThumbnailLoader, CellFailures,
    ::testing::Values(
        FailureCase{"Fifo",
                    [](const QTemporaryDir& dir) {
                        const QString path = dir.filePath("pipe.bmp");
                        ::mkfifo(QFile::encodeName(path).constData(), 0600);
                        return path;
                    },
                    "not a regular file"},
        FailureCase{"Device",
                    [](const QTemporaryDir& dir) {
                        const QString path = dir.filePath("null.jpg");
                        QFile::link("/dev/zero", path);
                        return path;
                    },
                    "not a regular file"},
        FailureCase{"Socket",
                    [](const QTemporaryDir& dir) {
                        const QString path = dir.filePath("s.bmp");
                        sockaddr_un address{};
                        address.sun_family = AF_UNIX;
                        const QByteArray name = QFile::encodeName(path);
                        std::memcpy(
                            address.sun_path, name.constData(),
                            std::min<size_t>(size_t(name.size()), sizeof address.sun_path - 1));
                        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
                        ::close(fd);
                        return path;
                    },
                    "Cannot open file"},
        FailureCase{"EmptyFile",
                    [](const QTemporaryDir& dir) { return WriteBytes(dir, "empty.bmp", ""); },
                    "The file holds no picture."},
        FailureCase{"DamagedJpeg",
                    [](const QTemporaryDir& dir) {
                        return WriteDamagedJpeg(dir, "bad.jpg", QSize(64, 64));
                    },
                    "JPEG error"},
        FailureCase{"HugeJpegHeader",
                    [](const QTemporaryDir& dir) {
                        return WriteJpegClaiming(dir, "bomb.jpg", QSize(60000, 60000));
                    },
                    "too large"},
        FailureCase{"UnknownExtension",
                    [](const QTemporaryDir& dir) { return WriteBytes(dir, "a.xyz", "x"); },
                    "Unknown picture file extension (.xyz)"}),
    [](const auto& info) { return std::string(info.param.Name); });

// A file gone since the scan, or replaced by a folder, leaves its cell empty without a word.
TEST(ThumbnailLoader, VanishedFileIsNoFailure) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder.bmp");
    for (const QString& file : {dir.filePath("gone.bmp"), dir.filePath("folder.bmp")}) {
        const TThumbnailResult result = Read(file);
        EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
        EXPECT_TRUE(result.Image.isNull());
    }
}

// A picture that cannot be read: a marked placeholder, one report through the hook (none when
// it comes back into view), the reason in the cell's tool tip, and never a message box.
TEST(ThumbnailLoader, FailureMarksTheCellAndIsReportedOnce) {
    TApplication shell;
    TReportReader reader;
    QTemporaryDir dir;
    const QString bad = WriteDamagedJpeg(dir, "a.jpg", QSize(64, 64));
    for (int i = 0; i < 40; ++i)
        WriteBmp(dir, QString("z%1.bmp").arg(i, 2, 10, QChar('0')), QSize(8, 8));
    auto viewer = ShownViewer();
    QStringList reports;
    viewer->OnCellError = [&](TJvImagesViewer*, TJvPictureItem* item, const QString& message) {
        EXPECT_EQ(item->FileName(), bad);
        reports << message;
    };
    viewer->SetDirectory(dir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllInViewArrived(*viewer); }, Deadline));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(bad)) << reports[0].toStdString();
    const QRect area = viewer->PictureRect(0);
    EXPECT_EQ(QColor(Grab(*viewer).pixel(area.center())), BrokenPictureColor());

    QHelpEvent tip(QEvent::ToolTip, area.center(), viewer->viewport()->mapToGlobal(area.center()));
    QApplication::sendEvent(viewer->viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), reports[0]);

    QScrollBar* bar = viewer->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllInViewArrived(*viewer); }, Deadline));
    bar->setValue(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return AllInViewArrived(*viewer); }, Deadline));
    EXPECT_EQ(QColor(Grab(*viewer).pixel(area.center())), BrokenPictureColor());
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&ran] { return ran; }, Deadline));
    EXPECT_EQ(reports.size(), 1);
    EXPECT_TRUE(reader.Texts.isEmpty()) << reader.Texts.join("; ").toStdString();
}

// Many threads reading cell pictures of every kind at once get what one thread alone gets.
TEST(ThumbnailLoader, ReadsFromManyThreadsAgreeWithOne) {
    QTemporaryDir dir;
    const QStringList files = {
        WritePatternBmp(dir, "a.bmp", QSize(300, 200)), WriteJpeg(dir, "b.jpg", QSize(320, 240)),
        WriteDamagedJpeg(dir, "c.jpg", QSize(64, 64)), WriteBytes(dir, "d.bmp", "not a bitmap"),
        WriteBmp(dir, "e.bmp", QSize(8, 8), Qt::yellow)};
    std::vector<TThumbnailResult> alone;
    for (const QString& file : files)
        alone.push_back(Read(file));
    constexpr int Threads = 8;
    constexpr int Rounds = 20;
    std::vector<int> mismatches(Threads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < Rounds; ++round)
                for (size_t i = 0; i < size_t(files.size()); ++i) {
                    const TThumbnailResult result = Read(files[qsizetype(i)]);
                    mismatches[size_t(t)] +=
                        result.Image != alone[i].Image || result.Error != alone[i].Error;
                }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < Threads; ++t)
        EXPECT_EQ(mismatches[size_t(t)], 0) << "thread " << t;
}

#include "ThumbnailLoaderTests.moc"
