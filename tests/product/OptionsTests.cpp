// The Options dialog over the product application object: what it shows, what typing does to
// its fields, and what OK, Cancel and Help do.

#include "../HelpCatcher.h"
#include "../ModalLoop.h"
#include "FOptions.h"
#include "Global.h"
#include "Help.h"
#include "LxButtons.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class Options : public ::testing::Test {
protected:
    QTemporaryDir Home;
    std::unique_ptr<TVelloriaApp> App;

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", (Home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (Home.path() + "/data").toUtf8());
        App = std::make_unique<TVelloriaApp>();
        VelloriaApp = App.get();
    }
    void TearDown() override {
        VelloriaApp = nullptr;
        App.reset();
    }
};

// Replaces the field's whole text by typing the keys one by one.
void TypeOver(TSpinEdit* field, const QString& keys) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, keys);
}

QString Text(const TSpinEdit* field) {
    return field->findChild<QLineEdit*>()->text();
}
} // namespace

TEST_F(Options, ShapeAndControls) {
    TOptionsForm form;
    EXPECT_EQ(form.windowTitle(), "Options");
    EXPECT_EQ(form.HelpContext(), 2000);
    EXPECT_EQ(form.size(), QSize(276, 112));
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_EQ(form.BtnOk->geometry(), QRect(194, 8, 75, 25));
    EXPECT_EQ(form.BtnCancel->geometry(), QRect(194, 40, 75, 25));
    EXPECT_EQ(form.BtnHelp->geometry(), QRect(194, 76, 75, 25));
    EXPECT_EQ(form.Label1->pos(), QPoint(8, 11));
    EXPECT_EQ(form.Label1->text(), "Thumbnail &Size:");
    EXPECT_EQ(form.Label1->buddy(), form.edThumbSize);
    EXPECT_EQ(form.Label2->pos(), QPoint(8, 39));
    EXPECT_EQ(form.Label2->text(), "Thumbnail &Padding:");
    EXPECT_EQ(form.Label2->buddy(), form.edThumbPadding);
    EXPECT_EQ(form.edThumbSize->geometry(), QRect(116, 8, 61, 21));
    EXPECT_EQ(form.edThumbPadding->geometry(), QRect(116, 36, 61, 21));
    EXPECT_EQ(form.chkFlushOnExit->geometry(), QRect(8, 68, 169, 17));
    EXPECT_EQ(form.chkFlushOnExit->text(), "&Clear cache on exit");
    EXPECT_EQ(form.findChild<QLineEdit*>()->maxLength(), 4);
}

TEST_F(Options, FocusStartsAtTheSizeAndTabFollowsTheControls) {
    TOptionsForm form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // The widget that has the focus, a spin field for its text editor.
    const auto focused = [] {
        QWidget* widget = QApplication::focusWidget();
        if (widget && qobject_cast<TSpinEdit*>(widget->parentWidget()))
            widget = widget->parentWidget();
        return widget;
    };
    QList<QWidget*> visited{focused()};
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(focused());
    }
    EXPECT_EQ(visited,
              (QList<QWidget*>{form.edThumbSize, form.edThumbPadding, form.chkFlushOnExit,
                               form.BtnOk, form.BtnCancel, form.BtnHelp, form.edThumbSize}));
}

// Digits typed stay as they are, so that 120 can be typed over 100 digit by digit; the field
// crops when the focus leaves, and OK stores the cropped value whether or not it left.
TEST_F(Options, TypedDigitsStayUntilTheFocusLeavesAndOkStoresThemCropped) {
    const struct {
        const char* Keys;
        bool Size;
        const char* Typed;
        const char* Left;
        qint32 Stored;
    } cases[] = {
        {"120", true, "120", "120", 120},
        {"199", true, "199", "199", 199},
        {"5", true, "5", "60", 60},
        {"59", true, "59", "60", 60},
        {"60", true, "60", "60", 60},
        {"200", true, "200", "200", 200},
        {"201", true, "201", "200", 200},
        {"abc", true, "100", "100", 100},
        // Signs alone are no number: they stay, and read as the minimum; at most 4 characters.
        {"----5", true, "----", "----", 60},
        {"", true, "", "", 60},
        {"12", false, "12", "12", 12},
        {"41", false, "41", "40", 40},
        {"-3", false, "-3", "0", 0},
        {"x", false, "4", "4", 4},
    };
    for (const auto& c : cases) {
        for (const bool leave : {true, false}) {
            SCOPED_TRACE(std::string(c.Keys) + (leave ? " then Tab" : " then Enter"));
            App->ThumbSize = 100;
            App->ThumbPadding = 4;
            TOptionsForm form;
            TSpinEdit* field = c.Size ? form.edThumbSize : form.edThumbPadding;
            QString typed, left;
            WhenShown(form, [&] {
                // Focus moves, and the field hears of it, only in the active window.
                form.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
                TypeOver(field, QString::fromLatin1(c.Keys));
                if (QString::fromLatin1(c.Keys).isEmpty())
                    QTest::keyClick(field, Qt::Key_Delete);
                typed = Text(field);
                if (leave) {
                    QTest::keyClick(field, Qt::Key_Tab);
                    left = Text(field);
                }
                QTest::keyClick(form.focusWidget(), Qt::Key_Return);
            });
            EXPECT_TRUE(form.Execute());
            EXPECT_EQ(typed.toStdString(), c.Typed);
            if (leave) {
                EXPECT_EQ(left.toStdString(), c.Left);
            }
            EXPECT_EQ(c.Size ? App->ThumbSize : App->ThumbPadding, c.Stored);
        }
    }
}

TEST_F(Options, ArrowKeysStepWithinTheLimits) {
    const struct {
        qint32 Size;
        qint32 Padding;
        Qt::Key Key;
        qint32 NewSize;
        qint32 NewPadding;
    } cases[] = {
        {100, 4, Qt::Key_Up, 105, 6},
        {100, 4, Qt::Key_Down, 95, 2},
        {198, 39, Qt::Key_Up, 200, 40},
        {62, 1, Qt::Key_Down, 60, 0},
    };
    for (const auto& c : cases) {
        App->ThumbSize = c.Size;
        App->ThumbPadding = c.Padding;
        TOptionsForm form;
        WhenShown(form, [&] {
            QTest::keyClick(form.edThumbSize, c.Key);
            QTest::keyClick(form.edThumbPadding, c.Key);
            QTest::mouseClick(form.BtnOk, Qt::LeftButton);
        });
        EXPECT_TRUE(form.Execute());
        EXPECT_EQ(App->ThumbSize, c.NewSize) << c.Size;
        EXPECT_EQ(App->ThumbPadding, c.NewPadding) << c.Padding;
    }
}

TEST_F(Options, ShowsStoredValuesCroppedAndOkStoresThem) {
    // Values from a hand-edited configuration file, beyond the fields' limits.
    App->ThumbSize = 20;
    App->ThumbPadding = 41;
    App->ExitCleanup = true;
    TOptionsForm form;
    QStringList shown;
    bool checked = false;
    WhenShown(form, [&] {
        shown = {Text(form.edThumbSize), Text(form.edThumbPadding)};
        checked = form.chkFlushOnExit->isChecked();
        QTest::keyClick(&form, Qt::Key_Return);
    });
    EXPECT_TRUE(form.Execute());
    EXPECT_EQ(shown, (QStringList{"60", "40"}));
    EXPECT_TRUE(checked);
    EXPECT_EQ(App->ThumbSize, 60);
    EXPECT_EQ(App->ThumbPadding, 40);
    EXPECT_TRUE(App->ExitCleanup);
}

TEST_F(Options, OkStoresAllThreeAndCancelOrEscapeNone) {
    const struct {
        const char* Way;
        bool Accepted;
    } cases[] = {{"OK", true}, {"Cancel", false}, {"Escape", false}, {"close box", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        App->ThumbSize = 100;
        App->ThumbPadding = 4;
        App->ExitCleanup = false;
        TOptionsForm form;
        WhenShown(form, [&] {
            TypeOver(form.edThumbSize, QStringLiteral("5"));
            TypeOver(form.edThumbPadding, QStringLiteral("8"));
            QTest::mouseClick(form.chkFlushOnExit, Qt::LeftButton);
            const std::string way = c.Way;
            if (way == "OK")
                QTest::mouseClick(form.BtnOk, Qt::LeftButton);
            else if (way == "Cancel")
                QTest::mouseClick(form.BtnCancel, Qt::LeftButton);
            else if (way == "Escape")
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                form.close();
        });
        EXPECT_EQ(form.Execute(), c.Accepted);
        EXPECT_EQ(App->ThumbSize, c.Accepted ? 60 : 100);
        EXPECT_EQ(App->ThumbPadding, c.Accepted ? 8 : 4);
        EXPECT_EQ(App->ExitCleanup, c.Accepted);
    }
}

TEST_F(Options, HelpOpensItsPageInACaughtBrowserAndTheDialogStaysOpen) {
    THelpCatcher browser;
    TOptionsForm form;
    bool openAfterHelp = false;
    WhenShown(form, [&] {
        QTest::mouseClick(form.BtnHelp, Qt::LeftButton);
        QCoreApplication::processEvents();
        openAfterHelp = form.isVisible();
        QTest::mouseClick(form.BtnCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(form.Execute());
    EXPECT_TRUE(openAfterHelp);
    EXPECT_EQ(browser.Urls, QList<QUrl>{HelpPageUrl(2000)});
}
