// The grid's geometry, the fitting of pictures and what a cell looks like on screen.
#include "ViewerTestSupport.h"

#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void WriteBmps(const QTemporaryDir& dir, int count, QSize size = QSize(8, 8)) {
    for (int i = 0; i < count; ++i)
        WriteBmp(dir, QString("p%1.bmp").arg(i, 3, 10, QChar('0')), size);
}

bool WaitForVerticalBar(TJvImagesViewer& viewer) {
    return QTest::qWaitFor([&] { return viewer.verticalScrollBar()->isVisible(); }, Deadline);
}

struct FitCase {
    QSize Picture;
    QRect Expected;
};

} // namespace

// The program's defaults (size 108, padding 4), the caption line measured from the font in use.
TEST(ViewerLayout, WorkedExampleOfTheDefaults) {
    QTemporaryDir dir;
    WriteBmps(dir, 20);
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->SetDirectory(dir.path());
    ASSERT_TRUE(WaitForVerticalBar(*viewer));
    // One line of "Wg" as the platform measures it in a 100 x 100 box, and 4 pixels more.
    const int th =
        QFontMetrics(viewer->font())
            .boundingRect(QRect(0, 0, 100, 100), Qt::AlignCenter | Qt::TextSingleLine, "Wg")
            .height() +
        4;
    EXPECT_EQ(viewer->CellWidth(), 112);
    EXPECT_EQ(viewer->CellHeight(), 112 + th);
    EXPECT_EQ(viewer->Origin(), QPoint(2, 2));
    EXPECT_EQ(viewer->CellRect(0), QRect(2, 2, 112, 112 + th));
    EXPECT_EQ(viewer->ItemRect(0), QRect(6, 6, 104, 104));
    EXPECT_EQ(viewer->TextRect(0), QRect(6, 110, 104, th));
    EXPECT_EQ(viewer->PictureRect(0), QRect(10, 10, 96, 96));
    EXPECT_EQ(viewer->ItemRect(5), QRect(6 + 112, 6 + 112 + th, 104, 104));
    // Four columns from the outer width although the fourth is cut off at the client edge.
    EXPECT_EQ(viewer->Columns(), 4);
    EXPECT_EQ(viewer->Rows(), 5);
    EXPECT_LT(viewer->viewport()->width(), 4 * 112);
    EXPECT_EQ(viewer->viewport()->width(), 433 - 4 - viewer->verticalScrollBar()->width());
    EXPECT_FALSE(viewer->horizontalScrollBar()->isVisible());
    EXPECT_EQ(viewer->verticalScrollBar()->maximum(),
              5 * (112 + th) - viewer->viewport()->height());
    EXPECT_EQ(viewer->verticalScrollBar()->singleStep(), 8);
    EXPECT_EQ(viewer->verticalScrollBar()->pageStep(), viewer->viewport()->height());
    EXPECT_EQ(viewer->FirstVisibleIndex(), 0);
    EXPECT_EQ(viewer->LastVisibleIndex(),
              viewer->CellIndexAt(viewer->viewport()->width(), viewer->viewport()->height()));
    // An empty list keeps no scroll bar.
    viewer->SetFileMask("*.none");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !viewer->verticalScrollBar()->isVisible(); }, Deadline));
}

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, ShrinksKeepingProportionsAndCentres) {
    EXPECT_EQ(FitPicture(GetParam().Picture, QRect(10, 10, 96, 96)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(ViewerLayout, Fitting,
                         ::testing::Values(FitCase{{1024, 768}, QRect(10, 22, 96, 72)},
                                           FitCase{{768, 1024}, QRect(22, 10, 72, 96)},
                                           FitCase{{50, 50}, QRect(33, 33, 50, 50)},
                                           FitCase{{200, 100}, QRect(10, 34, 96, 48)},
                                           FitCase{{60, 200}, QRect(44, 10, 28, 96)},
                                           FitCase{{200, 70}, QRect(10, 41, 96, 33)},
                                           FitCase{{96, 96}, QRect(10, 10, 96, 96)},
                                           FitCase{{97, 97}, QRect(10, 10, 96, 96)},
                                           FitCase{{0, 500}, QRect(10, 10, 96, 96)},
                                           FitCase{{0, 0}, QRect(58, 58, 0, 0)}));

TEST(ViewerLayout, ColumnsNeverExceedTheItems) {
    QTemporaryDir dir;
    WriteBmps(dir, 3);
    auto viewer = ShownViewer(QSize(600, 300));
    viewer->SetDirectory(dir.path());
    EXPECT_EQ(viewer->Columns(), 3);
    EXPECT_EQ(viewer->Rows(), 1);
    EXPECT_FALSE(viewer->verticalScrollBar()->isVisible());
}

// Hit cells are the full pitch; the margin before the grid hits its first column and row.
TEST(ViewerLayout, CellIndexAt) {
    QTemporaryDir dir;
    WriteBmps(dir, 6);
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->SetDirectory(dir.path());
    const int cy = int(viewer->CellHeight());
    const struct {
        QPoint At;
        bool ExistingOnly;
        int Expected;
    } cases[] = {
        {{0, 0}, true, 0},         {{113, 2}, true, 0},         {{114, 2}, true, 1},
        {{2, 2 + cy}, true, 4},    {{114, 2 + cy}, true, 5},    {{226, 2 + cy}, true, -1},
        {{226, 2 + cy}, false, 6}, {{2, 2 + 2 * cy}, true, -1}, {{2, 2 + 2 * cy}, false, 8},
        {{-200, 2}, true, -1},     {{450, 2}, true, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(viewer->CellIndexAt(c.At.x(), c.At.y(), c.ExistingOnly), c.Expected)
            << c.At.x() << "," << c.At.y() << " existing only " << c.ExistingOnly;
}

// Read back from the screen: the selected cell's two-colour tile inside a frame in HotColor,
// an unselected cell's 1-pixel grey frame around the window colour.
TEST(ViewerLayout, SelectedAndPlainCellsOnScreen) {
    QTemporaryDir dir;
    WriteBmps(dir, 2, QSize(4, 4));
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->Options().SetImagePadding(30);
    viewer->SetDirectory(dir.path());
    viewer->SetSelectedIndex(0);
    const QImage image = GrabWhenRead(*viewer);
    const QColor odd(166, 202, 240);
    const QColor even(255, 255, 255);
    const QColor hot = viewer->Options().HotColor();
    const QRect selected = viewer->ItemRect(0);
    for (const QPoint at :
         {selected.topLeft(), selected.topLeft() + QPoint(1, 1), selected.bottomRight(),
          selected.bottomRight() - QPoint(1, 1), QPoint(selected.left(), selected.center().y())})
        EXPECT_EQ(QColor(image.pixel(at)), hot) << at.x() << "," << at.y();
    for (const QPoint at : {QPoint(10, 10), QPoint(11, 11), QPoint(20, 30)})
        EXPECT_EQ(QColor(image.pixel(at)), odd) << at.x() << "," << at.y();
    for (const QPoint at : {QPoint(11, 10), QPoint(10, 11), QPoint(21, 30)})
        EXPECT_EQ(QColor(image.pixel(at)), even) << at.x() << "," << at.y();
    const QRect plain = viewer->ItemRect(1);
    const QColor window = viewer->palette().color(QPalette::Base);
    EXPECT_EQ(QColor(image.pixel(plain.topLeft())), QColor(128, 128, 128));
    EXPECT_EQ(QColor(image.pixel(plain.bottomRight())), QColor(128, 128, 128));
    EXPECT_EQ(QColor(image.pixel(plain.topLeft() + QPoint(1, 1))), window);
    // The 4 x 4 red picture sits in the middle of its picture rectangle at its own size.
    const QRect picture = FitPicture(QSize(4, 4), viewer->PictureRect(1));
    EXPECT_EQ(picture.size(), QSize(4, 4));
    EXPECT_EQ(QColor(image.pixel(picture.topLeft())), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(picture.topLeft() - QPoint(1, 1))), window);

    viewer->Options().BrushPattern().SetActive(false);
    viewer->viewport()->update();
    EXPECT_EQ(QColor(Grab(*viewer).pixel(11, 10)), odd);
}

// Values a hand-edited settings file may hold: nothing breaks, nothing outgrows the view.
TEST(ViewerLayout, OddOptionValues) {
    QTemporaryDir dir;
    WriteBmps(dir, 30, QSize(300, 200));
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->SetDirectory(dir.path());
    viewer->Options().SetWidth(100000);
    viewer->Options().SetHeight(100000);
    viewer->Options().SetImagePadding(-7);
    Grab(*viewer);
    EXPECT_EQ(viewer->Columns(), 1);
    EXPECT_EQ(viewer->Rows(), 30);
    EXPECT_EQ(viewer->verticalScrollBar()->maximum(),
              30 * int(viewer->CellHeight()) - viewer->viewport()->height());
    viewer->verticalScrollBar()->setValue(viewer->verticalScrollBar()->maximum());
    GrabWhenRead(*viewer);
    EXPECT_EQ(viewer->FirstVisibleIndex(), 29);
    int loaded = 0;
    for (int i = 0; i < viewer->Count(); ++i)
        loaded += viewer->Items(i)->CellState() == TJvPictureItem::TCellState::csReady;
    EXPECT_EQ(loaded, 1);

    viewer->Options().SetWidth(-50);
    Grab(*viewer);
    EXPECT_EQ(viewer->CellIndexAt(5, 5), -1);
    viewer->Options().SetWidth(2147483647);
    viewer->Options().SetHeight(2147483647);
    Grab(*viewer);
    EXPECT_EQ(viewer->Columns(), 1);
}

struct GridCase {
    const char* Name;
    TJvItemViewerScrollBar ScrollBar;
    bool AutoCenter;
};

void PrintTo(const GridCase& grid, std::ostream* out) {
    *out << grid.Name;
}

class GridShapes : public ::testing::TestWithParam<GridCase> {};

// Centred grids count the cells that fit the client area; a horizontal grid counts rows from
// the height and scrolls sideways.
TEST_P(GridShapes, ColumnsRowsAndOrigin) {
    QTemporaryDir dir;
    WriteBmps(dir, 20);
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->Options().SetScrollBar(GetParam().ScrollBar);
    viewer->Options().SetAutoCenter(GetParam().AutoCenter);
    viewer->SetDirectory(dir.path());
    const bool vertical = GetParam().ScrollBar == TJvItemViewerScrollBar::tvVertical;
    QScrollBar* scrolling = vertical ? viewer->verticalScrollBar() : viewer->horizontalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scrolling->isVisible(); }, Deadline));
    EXPECT_FALSE(
        (vertical ? viewer->horizontalScrollBar() : viewer->verticalScrollBar())->isVisible());
    const int cx = int(viewer->CellWidth());
    const int cy = int(viewer->CellHeight());
    const QSize client = viewer->viewport()->size();
    const int across = GetParam().AutoCenter
                           ? (vertical ? client.width() / cx : client.height() / cy)
                           : (vertical ? (cx / 3 + 433) / cx : (cy / 3 + 470) / cy);
    const int along = (20 + across - 1) / across;
    EXPECT_EQ(viewer->Columns(), vertical ? across : along);
    EXPECT_EQ(viewer->Rows(), vertical ? along : across);
    QPoint origin(2, 2);
    if (GetParam().AutoCenter)
        origin = QPoint(std::max(2, (client.width() - viewer->Columns() * cx) / 2),
                        std::max(2, (client.height() - viewer->Rows() * cy) / 2));
    EXPECT_EQ(viewer->Origin(), origin);
    scrolling->setValue(50);
    EXPECT_EQ(viewer->Origin(), origin - (vertical ? QPoint(0, 50) : QPoint(50, 0)));
}

INSTANTIATE_TEST_SUITE_P(
    ViewerLayout, GridShapes,
    ::testing::Values(GridCase{"Vertical", TJvItemViewerScrollBar::tvVertical, false},
                      GridCase{"VerticalCentred", TJvItemViewerScrollBar::tvVertical, true},
                      GridCase{"Horizontal", TJvItemViewerScrollBar::tvHorizontal, false},
                      GridCase{"HorizontalCentred", TJvItemViewerScrollBar::tvHorizontal, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// The drawing hook sees every cell in view, with its state and rectangles, before the viewer
// draws over it.
TEST(ViewerLayout, DrawItemHookSeesEachCellInView) {
    QTemporaryDir dir;
    WriteBmps(dir, 40);
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->SetDirectory(dir.path());
    viewer->SetSelectedIndex(2);
    QList<int> drawn;
    viewer->OnDrawItem = [&](TJvCustomItemViewer* sender, int index, TCustomDrawState state,
                             QPainter& canvas, const QRect& itemRect, const QRect& textRect) {
        drawn << index;
        EXPECT_EQ(state.testFlag(cdsSelected), index == 2) << index;
        EXPECT_EQ(itemRect, sender->ItemRect(index));
        EXPECT_EQ(textRect, sender->TextRect(index));
        canvas.fillRect(itemRect, Qt::green);
    };
    GrabWhenRead(*viewer);
    drawn.clear();
    const QImage image = Grab(*viewer);
    QList<int> inView;
    for (int i = 0; i < viewer->Count(); ++i)
        if (viewer->ItemRect(i).united(viewer->TextRect(i)).intersects(viewer->viewport()->rect()))
            inView << i;
    EXPECT_EQ(drawn, inView);
    EXPECT_EQ(QColor(image.pixel(viewer->ItemRect(0).topLeft())), QColor(128, 128, 128));
    EXPECT_EQ(QColor(image.pixel(viewer->ItemRect(0).center())), QColor(Qt::red));
    EXPECT_EQ(QColor(image.pixel(viewer->ItemRect(0).topLeft() + QPoint(1, 1))), QColor(Qt::green));
}

// A row scrolled until only its caption band shows is still drawn, caption and all.
TEST(ViewerLayout, RowWhoseCaptionAloneShowsIsStillDrawn) {
    QTemporaryDir dir;
    WriteBmps(dir, 40);
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->SetDirectory(dir.path());
    ASSERT_TRUE(WaitForVerticalBar(*viewer));
    const int below = viewer->ItemRect(0).bottom() + 1;
    for (const int past : {0, 1, viewer->TextRect(0).height() / 3}) {
        SCOPED_TRACE(past);
        viewer->verticalScrollBar()->setValue(below + past);
        ASSERT_LT(viewer->ItemRect(0).bottom(), 0);
        const QRect caption = viewer->TextRect(0).intersected(viewer->viewport()->rect());
        ASSERT_FALSE(caption.isEmpty());
        QList<int> drawn;
        viewer->OnDrawItem = [&](TJvCustomItemViewer*, int index, TCustomDrawState, QPainter&,
                                 const QRect&, const QRect&) { drawn << index; };
        const QImage image = Grab(*viewer);
        EXPECT_TRUE(drawn.contains(0));
        // Some of the caption's text shows in the band.
        const QRgb ground = image.pixel(caption.topLeft());
        bool text = false;
        for (int y = caption.top(); y <= caption.bottom(); ++y)
            for (int x = caption.left(); x <= caption.right(); ++x)
                text = text || image.pixel(x, y) != ground;
        EXPECT_TRUE(text);
    }
}

// With HotTrack, the cell under the pointer gets the hot frame in place of the grey one.
TEST(ViewerLayout, HotTrackingMarksTheCellUnderThePointer) {
    QTemporaryDir dir;
    WriteBmps(dir, 3);
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->Options().SetHotTrack(true);
    viewer->Options().SetHotColor(Qt::magenta);
    viewer->SetDirectory(dir.path());
    QTest::mouseMove(viewer->viewport(), viewer->ItemRect(1).center());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return viewer->Items(1)->State().testFlag(cdsHot); }, Deadline));
    const QImage image = Grab(*viewer);
    EXPECT_EQ(QColor(image.pixel(viewer->ItemRect(1).topLeft() + QPoint(1, 1))),
              QColor(Qt::magenta));
    EXPECT_EQ(QColor(image.pixel(viewer->ItemRect(0).topLeft())), QColor(128, 128, 128));
    QTest::mouseMove(viewer->viewport(), viewer->ItemRect(0).center());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return viewer->Items(0)->State().testFlag(cdsHot); }, Deadline));
    EXPECT_FALSE(viewer->Items(1)->State().testFlag(cdsHot));
}

// A caption is one line, centred, with the extension; one too long for its band ends in an
// ellipsis. Each band is compared with the text drawn alone into a band of the same size.
TEST(ViewerLayout, CaptionsEndInAnEllipsisWhenTooLong) {
    QTemporaryDir dir;
    const QString longName = "a rather long name for a picture of the sea at dusk.bmp";
    WriteBmp(dir, longName, QSize(8, 8));
    WriteBmp(dir, "c.bmp", QSize(8, 8));
    auto viewer = ShownViewer(QSize(433, 470));
    viewer->SetDirectory(dir.path());
    const QImage image = Grab(*viewer);
    const auto band = [&](const QString& text, const QRect& rect) {
        QImage drawn(rect.size(), QImage::Format_RGB32);
        drawn.fill(viewer->palette().color(QPalette::Base));
        QPainter painter(&drawn);
        painter.setFont(viewer->font());
        painter.setPen(viewer->palette().color(QPalette::Text));
        painter.drawText(QRect(QPoint(0, 0), rect.size()),
                         Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return drawn;
    };
    for (int i = 0; i < 2; ++i) {
        const QRect rect = viewer->TextRect(i).adjusted(0, 2, 0, 0);
        const QString name = QFileInfo(viewer->Items(i)->FileName()).fileName();
        const QString elided =
            QFontMetrics(viewer->font()).elidedText(name, Qt::ElideRight, rect.width());
        EXPECT_EQ(image.copy(rect), band(elided, rect)) << name.toStdString();
        EXPECT_EQ(elided.endsWith(QChar(0x2026)), name == longName);
        EXPECT_EQ(image.copy(rect) == band(name, rect), name != longName);
    }
}
