// Pictures in view: memory reduction, batch updates, and pictures that cannot be read, which
// mark their cells and never reach a message box from painting.
#include "ViewerTestSupport.h"

#include "../TestReports.h"
#include "../pictures/SampleFiles.h"
#include "AppShell.h"
#include "Picture.h"

#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <jerror.h>
#include <jpeglib.h>
#include <unistd.h>

namespace {

// True once everything posted so far has run.
bool LoopGoesOn() {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&ran] { return ran; }, Deadline);
}

// Counts the cell pictures read from files: each arrival tells its item that it changed.
class TLoadCounter {
public:
    explicit TLoadCounter(TJvImagesViewer& viewer) {
        viewer.OnItemChanged = [this](TJvCustomItemViewer*, TJvViewerItem* item) {
            const auto* picture = static_cast<TJvPictureItem*>(item);
            if (picture->CellState() == TJvPictureItem::TCellState::csReady)
                ++Loads[picture->FileName()];
        };
    }
    QMap<QString, int> Loads;
};

int LoadedCount(TJvImagesViewer& viewer) {
    int loaded = 0;
    for (int i = 0; i < viewer.Count(); ++i)
        if (const auto* item = static_cast<TJvPictureItem*>(viewer.ItemList().Existing(i)))
            loaded += item->CellState() == TJvPictureItem::TCellState::csReady;
    return loaded;
}

} // namespace

// Scrolled out of view with the scroll bar, a picture is freed; scrolled back, it is read again.
TEST(ViewerPictures, MemoryReductionFreesAndRereads) {
    QTemporaryDir dir;
    for (int i = 0; i < 40; ++i)
        WriteBmp(dir, QString("p%1.bmp").arg(i, 2, 10, QChar('0')), QSize(16, 16));
    auto viewer = ShownViewer();
    TLoadCounter counter(*viewer);
    viewer->SetDirectory(dir.path());
    GrabWhenRead(*viewer);
    const QString first = dir.filePath("p00.bmp");
    EXPECT_EQ(counter.Loads.value(first), 1);
    const int inView = LoadedCount(*viewer);
    EXPECT_EQ(inView, viewer->LastVisibleIndex() + 1);

    QScrollBar* bar = viewer->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(viewer->ItemList().Existing(0)->State(), TCustomDrawState());
    EXPECT_EQ(viewer->Items(0)->CellState(), TJvPictureItem::TCellState::csWaiting);
    GrabWhenRead(*viewer);
    EXPECT_LE(LoadedCount(*viewer), viewer->LastVisibleIndex() - viewer->FirstVisibleIndex() + 1);
    bar->setValue(0);
    GrabWhenRead(*viewer);
    EXPECT_EQ(counter.Loads.value(first), 2);
    EXPECT_EQ(LoadedCount(*viewer), inView);

    // Turned off, nothing is freed any more.
    viewer->Options().SetReduceMemoryUsage(false);
    bar->setValue(bar->maximum());
    GrabWhenRead(*viewer);
    EXPECT_EQ(viewer->Items(0)->CellState(), TJvPictureItem::TCellState::csReady);
}

// An animated cursor read as an item's Picture reports its frames as it loads; the hook learns
// which item is loading. (Cell pictures are read on workers and report no progress.)
TEST(ViewerPictures, LoadProgressReachesTheHook) {
    QTemporaryDir dir;
    WriteBytes(dir, "run.ani", AniFile({SolidIcon(qRgb(255, 0, 0)), SolidIcon(qRgb(0, 0, 255))}));
    auto viewer = ShownViewer();
    QList<int> percents;
    viewer->OnLoadProgress = [&](TJvImagesViewer*, TJvPictureItem* item, TProgressStage stage,
                                 int percent, bool redrawNow, const QRect&, const QString&) {
        EXPECT_EQ(item->FileName(), dir.filePath("run.ani"));
        EXPECT_EQ(stage, TProgressStage::psRunning);
        EXPECT_FALSE(redrawNow);
        percents << percent;
    };
    viewer->SetDirectory(dir.path());
    ASSERT_NE(viewer->Items(0)->Picture(), nullptr);
    EXPECT_EQ(percents, (QList<int>{50, 100}));
    const QImage image = GrabWhenRead(*viewer);
    // Drawn at its own size at the picture area's corner, not stretched.
    const QRect area = FitPicture(QSize(32, 32), viewer->PictureRect(0));
    EXPECT_EQ(QColor(image.pixel(area.topLeft())), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(area.bottomRight())), QColor(Qt::red));
}

struct OptionCase {
    const char* Name;
    std::function<void(TJvImageViewerOptions&)> Set;
    bool Raises;
};

void PrintTo(const OptionCase& option, std::ostream* out) {
    *out << option.Name;
}

class OptionEffects : public ::testing::TestWithParam<OptionCase> {};

// Which options recompute and tell the hook, and which are only stored.
TEST_P(OptionEffects, RecomputeOrStore) {
    RegisterFormatsOnce();
    TJvImagesViewer viewer;
    int notices = 0;
    viewer.OnOptionsChanged = [&notices](TJvCustomItemViewer*) { ++notices; };
    GetParam().Set(viewer.Options());
    EXPECT_EQ(notices, GetParam().Raises ? 1 : 0);
    GetParam().Set(viewer.Options());
    EXPECT_EQ(notices, GetParam().Raises ? 1 : 0) << "setting the same value again";
}

INSTANTIATE_TEST_SUITE_P(
    ViewerPictures, OptionEffects,
    ::testing::Values(
        OptionCase{"Width", [](auto& o) { o.SetWidth(50); }, true},
        OptionCase{"VertSpacing", [](auto& o) { o.SetVertSpacing(9); }, true},
        OptionCase{"ImagePadding", [](auto& o) { o.SetImagePadding(3); }, true},
        OptionCase{"FrameColor", [](auto& o) { o.SetFrameColor(QColor()); }, true},
        OptionCase{"ShowCaptions", [](auto& o) { o.SetShowCaptions(false); }, true},
        OptionCase{"Alignment", [](auto& o) { o.SetAlignment(TAlignment::taLeftJustify); }, true},
        OptionCase{"AlignmentWithoutCaptions",
                   [](auto& o) {
                       o.SetShowCaptions(false);
                       o.SetAlignment(TAlignment::taLeftJustify);
                       o.SetLayout(TTextLayout::tlTop);
                   },
                   true},
        OptionCase{"HotColor", [](auto& o) { o.SetHotColor(Qt::green); }, false},
        OptionCase{"HotFrameSize", [](auto& o) { o.SetHotFrameSize(5); }, false},
        OptionCase{"RightClickSelect", [](auto& o) { o.SetRightClickSelect(true); }, false},
        OptionCase{"DragAutoScroll", [](auto& o) { o.SetDragAutoScroll(false); }, false},
        OptionCase{"ReduceMemoryUsage", [](auto& o) { o.SetReduceMemoryUsage(true); }, false},
        OptionCase{"LazyRead", [](auto& o) { o.SetLazyRead(false); }, true},
        OptionCase{"BrushPatternColour", [](auto& o) { o.BrushPattern().SetOddColor(Qt::yellow); },
                   false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ViewerPictures, MemoryReductionNeedsLazyReading) {
    RegisterFormatsOnce();
    TJvImagesViewer viewer;
    auto& options = viewer.Options();
    EXPECT_TRUE(options.LazyRead());
    EXPECT_FALSE(options.ReduceMemoryUsage());
    options.SetLazyRead(false);
    options.SetReduceMemoryUsage(true);
    EXPECT_TRUE(options.LazyRead());
    options.SetLazyRead(false);
    EXPECT_FALSE(options.ReduceMemoryUsage());
}

// While a batch runs, nothing is painted; the last EndUpdate paints, extra ones do nothing.
TEST(ViewerPictures, BatchUpdatePaintsAtTheEnd) {
    QTemporaryDir dir;
    WriteBmp(dir, "a.bmp", QSize(8, 8));
    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    const QPoint frame = viewer->ItemRect(0).topLeft();
    viewer->BeginUpdate();
    viewer->BeginUpdate();
    EXPECT_EQ(QColor(Grab(*viewer).pixel(frame)), viewer->palette().color(QPalette::Base));
    viewer->EndUpdate();
    EXPECT_TRUE(viewer->Updating());
    viewer->EndUpdate();
    viewer->EndUpdate();
    EXPECT_FALSE(viewer->Updating());
    EXPECT_EQ(QColor(Grab(*viewer).pixel(frame)), QColor(128, 128, 128));
}

// A file deleted (or replaced by a folder) after the scan: an empty cell, no message.
// A file deleted (or replaced by a folder) after the scan, or one whose name is no UTF-8 and so
// cannot be opened under the name shown: an empty cell, no message. A name with a line break is
// read and drawn.
TEST(ViewerPictures, VanishedFilesShowEmptyCellsQuietly) {
    TApplication shell;
    TReportReader reader;
    QTemporaryDir dir;
    WriteBmp(dir, "a.bmp", QSize(8, 8));
    WriteBmp(dir, "b.bmp", QSize(8, 8));
    WriteBytes(dir, QString::fromUtf8("new\nline.bmp"), BmpBytes(QSize(8, 8)));
    const int fd = ::open((QFile::encodeName(dir.path()) + "/caf\xe9.bmp").constData(),
                          O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray bytes = BmpBytes(QSize(8, 8));
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    ASSERT_EQ(viewer->Count(), 4);
    ASSERT_TRUE(QFile::remove(dir.filePath("a.bmp")));
    ASSERT_TRUE(QFile::remove(dir.filePath("b.bmp")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("b.bmp"));
    const QImage image = GrabWhenRead(*viewer);
    ASSERT_TRUE(LoopGoesOn());
    EXPECT_TRUE(reader.Texts.isEmpty()) << reader.Texts.join("; ").toStdString();
    for (int i = 0; i < viewer->Count(); ++i) {
        const QString name = QFileInfo(viewer->Items(i)->FileName()).fileName();
        const QColor expected =
            name.startsWith("new") ? QColor(Qt::red) : viewer->palette().color(QPalette::Base);
        EXPECT_EQ(QColor(image.pixel(viewer->PictureRect(i).center())), expected)
            << name.toStdString();
    }
}

struct PaintErrorCase {
    const char* Name;
    std::function<void(const QTemporaryDir&)> Write;
    QString Message;
};

void PrintTo(const PaintErrorCase& error, std::ostream* out) {
    *out << error.Name;
}

class PaintErrors : public ::testing::TestWithParam<PaintErrorCase> {};

// The failure marks its cell and goes to the cell-error hook once, never to a message box; the
// cells after it are drawn, and scrolled away and back it is neither read nor reported again.
TEST_P(PaintErrors, MarkedNeverBoxed) {
    TApplication shell;
    shell.Title = "Velloria";
    QTemporaryDir dir;
    GetParam().Write(dir);
    for (int i = 0; i < 40; ++i)
        WriteBmp(dir, QString("z%1.bmp").arg(i, 2, 10, QChar('0')), QSize(8, 8));
    auto viewer = ShownViewer();
    TReportReader reader;
    QStringList reports;
    viewer->OnCellError = [&reports](TJvImagesViewer*, TJvPictureItem*, const QString& message) {
        reports << message;
    };
    viewer->SetDirectory(dir.path());
    ASSERT_EQ(QFileInfo(viewer->Items(0)->FileName()).fileName(), "a.jpg");
    const QImage image = GrabWhenRead(*viewer);
    const QString expected = QStringLiteral("Cannot read the picture \"%1\": %2")
                                 .arg(dir.filePath("a.jpg"), GetParam().Message);
    EXPECT_EQ(reports, QStringList{expected});
    EXPECT_EQ(viewer->Items(0)->CellError(), expected);
    EXPECT_EQ(QColor(image.pixel(viewer->PictureRect(0).center())), BrokenPictureColor());
    const QRect last = viewer->PictureRect(viewer->LastVisibleIndex() - 4);
    EXPECT_EQ(QColor(image.pixel(last.center())), QColor(Qt::red));

    QScrollBar* bar = viewer->verticalScrollBar();
    bar->setValue(bar->maximum());
    GrabWhenRead(*viewer);
    bar->setValue(0);
    GrabWhenRead(*viewer);
    ASSERT_TRUE(LoopGoesOn());
    EXPECT_EQ(reports.size(), 1);
    EXPECT_TRUE(reader.Texts.isEmpty()) << reader.Texts.join("; ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    ViewerPictures, PaintErrors,
    ::testing::Values(PaintErrorCase{"DamagedJpegData",
                                     [](const QTemporaryDir& dir) {
                                         WriteDamagedJpeg(dir, "a.jpg", QSize(64, 64));
                                     },
                                     QStringLiteral("JPEG error #%1").arg(JERR_NO_QUANT_TABLE)},
                      PaintErrorCase{"HugeJpegHeader",
                                     [](const QTemporaryDir& dir) {
                                         WriteJpegClaiming(dir, "a.jpg", QSize(60000, 60000));
                                     },
                                     "JPEG image is too large (60000 x 60000 pixels)"}),
    [](const auto& info) { return std::string(info.param.Name); });
