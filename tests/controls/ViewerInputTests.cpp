// Selecting and scrolling with the mouse, the wheel and the keyboard, through Qt Test's input.
#include "ViewerTestSupport.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A shown viewer on a folder of count small pictures, 4 columns wide.
class ViewerInput : public ::testing::Test {
protected:
    void Open(int count) {
        for (int i = 0; i < count; ++i)
            WriteBmp(FDir, QString("p%1.bmp").arg(i, 3, 10, QChar('0')), QSize(8, 8));
        Viewer = ShownViewer(QSize(433, 470));
        Viewer->SetDirectory(FDir.path());
        Viewer->setFocus();
    }
    QPoint CentreOf(int index) const { return Viewer->ItemRect(index).center(); }
    bool Marked(int index) const {
        const TJvViewerItem* item = Viewer->ItemList().Existing(index);
        return item && item->State().testFlag(cdsSelected);
    }
    bool WaitUnmarked(int index) const {
        return QTest::qWaitFor([&] { return !Marked(index); }, Deadline);
    }
    // As the platform reports one: a click, then the second press as a double click.
    void DoubleClick(QPoint at) {
        QTest::mouseClick(Viewer->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Viewer->viewport(), Qt::LeftButton, {}, at);
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(10, 10);
        QWheelEvent event(at, Viewer->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewer->viewport(), &event);
    }

    QTemporaryDir FDir;
    std::unique_ptr<TJvImagesViewer> Viewer;
};

} // namespace

TEST_F(ViewerInput, ClickSelectsOnReleaseOverThePressedCell) {
    Open(6);
    QWidget* client = Viewer->viewport();
    QTest::mousePress(client, Qt::LeftButton, {}, CentreOf(1));
    EXPECT_EQ(Viewer->SelectedIndex(), -1);
    QTest::mouseRelease(client, Qt::LeftButton, {}, CentreOf(1));
    EXPECT_EQ(Viewer->SelectedIndex(), 1);
    EXPECT_TRUE(Marked(1));
    EXPECT_TRUE(Viewer->hasFocus());

    // Pressed on one item, released on another: nothing changes.
    QTest::mousePress(client, Qt::LeftButton, {}, CentreOf(2));
    QTest::mouseRelease(client, Qt::LeftButton, {}, CentreOf(3));
    EXPECT_EQ(Viewer->SelectedIndex(), 1);
    EXPECT_TRUE(Marked(1));
    EXPECT_FALSE(Marked(3));

    // The right button selects nothing here.
    QTest::mouseClick(client, Qt::RightButton, {}, CentreOf(4));
    EXPECT_EQ(Viewer->SelectedIndex(), 1);
}

// Released over no cell: the marks go (posted), the index stays; arrows go on from it and a
// double click there still reaches the hook.
TEST_F(ViewerInput, ClickOnEmptySpaceClearsTheMarkOnly) {
    Open(6);
    QWidget* client = Viewer->viewport();
    int doubleClicks = 0;
    int indexAtDoubleClick = -2;
    Viewer->OnDblClick = [&](TJvCustomItemViewer* sender) {
        ++doubleClicks;
        indexAtDoubleClick = sender->SelectedIndex();
    };
    QTest::mouseClick(client, Qt::LeftButton, {}, CentreOf(1));
    const QPoint empty = CentreOf(5) + QPoint(int(Viewer->CellWidth()), 0);
    ASSERT_EQ(Viewer->CellIndexAt(empty.x(), empty.y()), -1);
    QTest::mouseClick(client, Qt::LeftButton, {}, empty);
    ASSERT_TRUE(WaitUnmarked(1));
    EXPECT_EQ(Viewer->SelectedIndex(), 1);
    DoubleClick(empty);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(indexAtDoubleClick, 1);
    QTest::keyClick(Viewer.get(), Qt::Key_Right);
    EXPECT_EQ(Viewer->SelectedIndex(), 2);
    EXPECT_TRUE(Marked(2));
}

TEST_F(ViewerInput, DoubleClickOnACellSelectsItFirst) {
    Open(6);
    int indexAtDoubleClick = -2;
    Viewer->OnDblClick = [&](TJvCustomItemViewer* sender) {
        indexAtDoubleClick = sender->SelectedIndex();
    };
    DoubleClick(CentreOf(2));
    EXPECT_EQ(indexAtDoubleClick, 2);
}

// Four columns, ten items: the last row holds 8 and 9.
TEST_F(ViewerInput, ArrowKeys) {
    Open(10);
    ASSERT_EQ(Viewer->Columns(), 4);
    const struct {
        int From;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        int Expected;
    } cases[] = {
        {-1, Qt::Key_Right, {}, 0},
        {-1, Qt::Key_Down, {}, 3},
        {-1, Qt::Key_Left, {}, -1},
        {-1, Qt::Key_Up, {}, -1},
        {4, Qt::Key_Left, {}, 3},
        {3, Qt::Key_Right, {}, 4},
        {1, Qt::Key_Down, {}, 5},
        {5, Qt::Key_Up, {}, 1},
        {1, Qt::Key_Up, {}, 1},
        {6, Qt::Key_Down, {}, 6},
        {5, Qt::Key_Down, {}, 9},
        {9, Qt::Key_Right, {}, 9},
        {0, Qt::Key_Left, {}, 0},
        {5, Qt::Key_Right, Qt::ShiftModifier, 5},
        {5, Qt::Key_Right, Qt::ControlModifier, 5},
        {5, Qt::Key_Down, Qt::AltModifier, 5},
        {5, Qt::Key_Home, {}, 5},
        {5, Qt::Key_End, {}, 5},
        {5, Qt::Key_PageDown, {}, 5},
        {5, Qt::Key_PageUp, {}, 5},
    };
    for (const auto& c : cases) {
        Viewer->SetSelectedIndex(c.From);
        Viewer->verticalScrollBar()->setValue(0);
        QTest::keyClick(Viewer.get(), c.Key, c.Modifiers);
        EXPECT_EQ(Viewer->SelectedIndex(), c.Expected) << c.From << " key " << c.Key;
        if (c.Expected == c.From) {
            EXPECT_EQ(Viewer->verticalScrollBar()->value(), 0) << c.From << " key " << c.Key;
        }
        if (c.Expected != -1) {
            EXPECT_TRUE(Marked(c.Expected));
        }
    }
}

TEST_F(ViewerInput, SpaceRaisesTheClickNotice) {
    Open(3);
    int clicks = 0;
    Viewer->OnClick = [&clicks](TJvCustomItemViewer*) { ++clicks; };
    QTest::keyClick(Viewer.get(), Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Viewer->SelectedIndex(), -1);
}

// The selection moves out of view: the view follows it, in either direction.
TEST_F(ViewerInput, KeysKeepTheSelectedCellInView) {
    Open(40);
    QScrollBar* bar = Viewer->verticalScrollBar();
    const int height = Viewer->viewport()->height();
    Viewer->SetSelectedIndex(12);
    QTest::keyClick(Viewer.get(), Qt::Key_Down);
    ASSERT_EQ(Viewer->SelectedIndex(), 16);
    const QRect cell = Viewer->CellRect(16);
    EXPECT_EQ(cell.bottom() + 1, height);
    EXPECT_EQ(bar->value(), 5 * int(Viewer->CellHeight()) + 2 - height);
    Viewer->SetSelectedIndex(4);
    QTest::keyClick(Viewer.get(), Qt::Key_Up);
    EXPECT_EQ(Viewer->CellRect(0).top(), 0);
    EXPECT_EQ(bar->value(), 2);
}

// One notch is 120 pixels, three times that with Shift; the hook sees only scroll-bar moves.
TEST_F(ViewerInput, WheelScrollsByPixels) {
    Open(60);
    QScrollBar* bar = Viewer->verticalScrollBar();
    int scrolls = 0;
    Viewer->OnScroll = [&scrolls](TJvCustomItemViewer*) { ++scrolls; };
    Wheel(-120, {});
    EXPECT_EQ(bar->value(), 120);
    EXPECT_EQ(Viewer->Origin().y(), 2 - 120);
    Wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(bar->value(), 480);
    Wheel(-120, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 600);
    Wheel(240, {});
    EXPECT_EQ(bar->value(), 360);
    EXPECT_EQ(scrolls, 0);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 368);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 368 + Viewer->viewport()->height());
    EXPECT_EQ(Viewer->Origin().y(), 2 - bar->value());
    EXPECT_EQ(scrolls, 2);
}

// Not used by the program, but offered: Ctrl toggles, Shift marks a block, a plain click
// leaves only its cell marked.
TEST_F(ViewerInput, MultipleSelection) {
    Open(10);
    Viewer->Options().SetMultiSelect(true);
    QWidget* client = Viewer->viewport();
    QTest::mouseClick(client, Qt::LeftButton, {}, CentreOf(1));
    QTest::mouseClick(client, Qt::LeftButton, Qt::ControlModifier, CentreOf(3));
    EXPECT_TRUE(Marked(1));
    EXPECT_TRUE(Marked(3));
    QTest::mouseClick(client, Qt::LeftButton, Qt::ControlModifier, CentreOf(3));
    EXPECT_FALSE(Marked(3));
    QTest::mouseClick(client, Qt::LeftButton, {}, CentreOf(1));
    QTest::mouseClick(client, Qt::LeftButton, Qt::ShiftModifier, CentreOf(6));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Marked(i), i == 1 || i == 2 || i == 5 || i == 6) << i;
    QTest::mouseClick(client, Qt::LeftButton, {}, CentreOf(9));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Marked(i), i == 9) << i;
    EXPECT_EQ(Viewer->SelectedIndex(), 9);
}
