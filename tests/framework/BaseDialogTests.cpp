#include "../HelpCatcher.h"
#include "../MessageBoxWatcher.h"
#include "../ModalLoop.h"
#include "FBaseDialog.h"
#include "Help.h"
#include "LxButtons.h"
#include "LxHelp.h"

#include <QTemporaryDir>

#include <QTest>

#include <gtest/gtest.h>

namespace {
// A dialog whose steps are counted and whose validation answers as told.
class TTestDialog : public TLXBaseDialog {
public:
    int Loads = 0;
    int Saves = 0;
    int Validations = 0;
    bool CancelOnLoad = false;
    bool Valid = true;
    QString Error;

protected:
    void LoadData() override {
        ++Loads;
        if (CancelOnLoad)
            SetModalResult(mrCancel);
    }
    void SaveData() override { ++Saves; }
    bool ValidateData() override {
        ++Validations;
        FValidationError = Error;
        return Valid;
    }
};

const QString ValidationText =
    QStringLiteral("Dialog Validation Error:\rThe size is too small\rPlease make the appropriate "
                   "correction.");
} // namespace

TEST(BaseDialog, ShapeAndButtons) {
    TTestDialog dialog;
    EXPECT_EQ(dialog.size(), QSize(357, 205));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                  Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(dialog.font().pixelSize(), 11);
    EXPECT_EQ(dialog.font().family(), "MS Shell Dlg");
    EXPECT_EQ(dialog.BtnOk->geometry(), QRect(275, 8, 75, 25));
    EXPECT_EQ(dialog.BtnCancel->geometry(), QRect(275, 40, 75, 25));
    EXPECT_EQ(dialog.BtnHelp->geometry(), QRect(275, 76, 75, 25));
    EXPECT_EQ(dialog.BtnOk->Kind(), TLxButton::bkOK);
    EXPECT_EQ(dialog.BtnCancel->Kind(), TLxButton::bkCancel);
    EXPECT_EQ(dialog.BtnHelp->Kind(), TLxButton::bkHelp);
    EXPECT_EQ(dialog.BtnOk->nextInFocusChain(), dialog.BtnCancel);
    EXPECT_EQ(dialog.BtnCancel->nextInFocusChain(), dialog.BtnHelp);
}

TEST(BaseDialog, ExecuteIsAcceptedByOkAndYesOnly) {
    const struct {
        const char* Way;
        std::function<void(TTestDialog&)> Close;
        bool Accepted;
    } cases[] = {
        {"OK button", [](TTestDialog& d) { QTest::mouseClick(d.BtnOk, Qt::LeftButton); }, true},
        {"Enter", [](TTestDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, true},
        {"result Yes", [](TTestDialog& d) { d.SetModalResult(mrYes); }, true},
        {"Cancel button", [](TTestDialog& d) { QTest::mouseClick(d.BtnCancel, Qt::LeftButton); },
         false},
        {"Escape", [](TTestDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {"close box", [](TTestDialog& d) { d.close(); }, false},
        {"result No", [](TTestDialog& d) { d.SetModalResult(mrNo); }, false},
        {"result Retry", [](TTestDialog& d) { d.SetModalResult(mrRetry); }, false},
        {"result All", [](TTestDialog& d) { d.SetModalResult(mrAll); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        TTestDialog dialog;
        WhenShown(dialog, [&] { c.Close(dialog); });
        EXPECT_EQ(dialog.Execute(), c.Accepted);
        EXPECT_EQ(dialog.Loads, 1);
        EXPECT_EQ(dialog.Saves, c.Accepted ? 1 : 0);
        // Only OK is validated.
        EXPECT_EQ(dialog.Validations,
                  c.Way == std::string("OK button") || c.Way == std::string("Enter") ? 1 : 0);
    }
}

TEST(BaseDialog, CancelEscapeAndCloseBoxAreNeverHeldUpByValidation) {
    const std::function<void(TTestDialog&)> ways[] = {
        [](TTestDialog& d) { QTest::mouseClick(d.BtnCancel, Qt::LeftButton); },
        [](TTestDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TTestDialog& d) { d.close(); },
    };
    TMessageBoxWatcher boxes;
    for (const auto& way : ways) {
        TTestDialog dialog;
        dialog.Valid = false;
        dialog.Error = QStringLiteral("never shown");
        WhenShown(dialog, [&] { way(dialog); });
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(dialog.Validations, 0);
    }
    EXPECT_TRUE(boxes.Seen.isEmpty());
}

TEST(BaseDialog, FailedValidationWarnsAndStaysOpen) {
    THelpCatcher browser;
    TMessageBoxWatcher boxes;
    TTestDialog dialog;
    dialog.Valid = false;
    dialog.Error = QStringLiteral("The size is too small");
    bool helpLeftBoxOpen = false;
    boxes.Answer = [&](QMessageBox& box) {
        Press(box, QStringLiteral("Help"));
        helpLeftBoxOpen = box.isVisible();
        Press(box, QStringLiteral("OK"));
    };
    bool openAfterWarning = false;
    WhenShown(dialog, [&] {
        QTest::mouseClick(dialog.BtnOk, Qt::LeftButton);
        openAfterWarning = QTest::qWaitFor([&] { return boxes.Seen.size() == 1; }) &&
                           dialog.isVisible() && dialog.ModalResult() == mrNone;
        QTest::mouseClick(dialog.BtnCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(openAfterWarning);
    EXPECT_EQ(dialog.Validations, 1);
    EXPECT_EQ(dialog.Saves, 0);
    ASSERT_EQ(boxes.Seen.size(), 1);
    EXPECT_EQ(boxes.Seen[0].Text, ValidationText);
    EXPECT_EQ(boxes.Seen[0].Title, "Warning");
    EXPECT_EQ(boxes.Seen[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.Seen[0].Buttons, (QStringList{"Help", "OK"}));
    EXPECT_EQ(boxes.Seen[0].HelpContext, 35020);
    EXPECT_TRUE(helpLeftBoxOpen);
    EXPECT_EQ(browser.Urls, QList<QUrl>{HelpPageUrl(35020)});
}

TEST(BaseDialog, FailedValidationWithoutReasonStaysOpenSilently) {
    TMessageBoxWatcher boxes;
    TTestDialog dialog;
    dialog.Valid = false;
    bool stayedOpen = false;
    WhenShown(dialog, [&] {
        QTest::mouseClick(dialog.BtnOk, Qt::LeftButton);
        stayedOpen = QTest::qWaitFor([&] { return dialog.Validations == 1; }) && dialog.isVisible();
        // Corrected, OK now closes.
        dialog.Valid = true;
        QTest::mouseClick(dialog.BtnOk, Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(dialog.Validations, 2);
    EXPECT_EQ(dialog.Saves, 1);
    EXPECT_TRUE(boxes.Seen.isEmpty());
}

TEST(BaseDialog, LoadDataThatCancelsIsNeverShown) {
    TTestDialog dialog;
    dialog.CancelOnLoad = true;
    bool shown = false;
    // Should the dialog be shown after all, this ends its loop.
    QTimer::singleShot(0, &dialog, [&] {
        shown = dialog.isVisible();
        dialog.hide();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(dialog.isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialog.Saves, 0);
    EXPECT_EQ(dialog.Validations, 0);
}

TEST(BaseDialog, ExecuteStartsWithAClearResultAndError) {
    TTestDialog dialog;
    dialog.SetModalResult(mrAbort);
    WhenShown(dialog, [&] { QTest::mouseClick(dialog.BtnOk, Qt::LeftButton); });
    EXPECT_TRUE(dialog.Execute());
}

TEST(BaseDialog, HelpOpensTheDialogsContextInACaughtBrowserAndStaysOpen) {
    THelpCatcher browser;
    TTestDialog dialog;
    dialog.SetHelpContext(2000);
    bool openAfterHelp = false;
    WhenShown(dialog, [&] {
        QTest::mouseClick(dialog.BtnHelp, Qt::LeftButton);
        QCoreApplication::processEvents();
        openAfterHelp = dialog.isVisible();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(openAfterHelp);
    EXPECT_EQ(browser.Urls, QList<QUrl>{HelpPageUrl(2000)});
}

TEST(MessageBox, ConfirmShowsYesAndNoAndHelpOnlyWithAContext) {
    const struct {
        int HelpContext;
        const char* Press;
        QStringList Buttons;
        bool Result;
    } cases[] = {
        {0, "&Yes", {"&No", "&Yes"}, true},
        {0, "&No", {"&No", "&Yes"}, false},
        {2000, "&Yes", {"&No", "&Yes", "Help"}, true},
        {1, "&No", {"&No", "&Yes", "Help"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.HelpContext);
        TMessageBoxWatcher boxes;
        boxes.Answer = [&](QMessageBox& box) { Press(box, QString::fromLatin1(c.Press)); };
        EXPECT_EQ(Confirm(QStringLiteral("Empty the cache?"), c.HelpContext), c.Result);
        ASSERT_EQ(boxes.Seen.size(), 1);
        EXPECT_EQ(boxes.Seen[0].Buttons, c.Buttons);
        EXPECT_EQ(boxes.Seen[0].Title, "Confirm");
        EXPECT_EQ(boxes.Seen[0].Icon, QMessageBox::Question);
        EXPECT_EQ(boxes.Seen[0].Text, "Empty the cache?");
    }
}

TEST(MessageBox, EveryButtonGivesItsResult) {
    const struct {
        TMsgDlgBtn Button;
        int Result;
    } cases[] = {
        {mbYes, mrYes},           {mbNo, mrNo},       {mbOK, mrOk},
        {mbCancel, mrCancel},     {mbAbort, mrAbort}, {mbRetry, mrRetry},
        {mbIgnore, mrIgnore},     {mbAll, mrAll},     {mbNoToAll, mrNoToAll},
        {mbYesToAll, mrYesToAll},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Result);
        TMessageBoxWatcher boxes;
        boxes.Answer = [](QMessageBox& box) {
            ASSERT_EQ(box.buttons().size(), 1);
            QTest::mouseClick(box.buttons().first(), Qt::LeftButton);
        };
        EXPECT_EQ(ShowMessageBox(mtCustom, QStringLiteral("Pick"), 0, c.Button), c.Result);
        EXPECT_EQ(boxes.Seen.size(), 1);
    }
}

TEST(MessageBox, TypeGivesCaptionAndIcon) {
    const struct {
        TMsgDlgType Type;
        QString Caption;
        QMessageBox::Icon Icon;
    } cases[] = {
        {mtWarning, "Warning", QMessageBox::Warning},
        {mtError, "Error", QMessageBox::Critical},
        {mtInformation, "Information", QMessageBox::Information},
        {mtConfirmation, "Confirm", QMessageBox::Question},
        {mtCustom, QGuiApplication::applicationDisplayName(), QMessageBox::NoIcon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption.toStdString());
        TMessageBoxWatcher boxes;
        boxes.Answer = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
        EXPECT_EQ(ShowMessageBoxFmt(c.Type, QStringLiteral("%1 of %2"), {"3", "4"}, 0), mrOk);
        ASSERT_EQ(boxes.Seen.size(), 1);
        EXPECT_EQ(boxes.Seen[0].Title, c.Caption);
        EXPECT_EQ(boxes.Seen[0].Icon, c.Icon);
        EXPECT_EQ(boxes.Seen[0].Text, "3 of 4");
        EXPECT_EQ(boxes.Seen[0].Buttons, QStringList{"OK"});
    }
}

TEST(MessageBox, FormatReplacesPlaceholdersInOnePass) {
    const struct {
        const char* Format;
        QStringList Arguments;
        const char* Text;
    } cases[] = {
        {"%1 and %2", {"a", "b"}, "a and b"},
        {"%2 before %1", {"a", "b"}, "b before a"},
        {"%1 takes %2 literally", {"%2", "x"}, "%2 takes x literally"},
        {"%3 has no argument, 100% stays", {"a"}, "%3 has no argument, 100% stays"},
        {"ends with %", {}, "ends with %"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMessage(QString::fromLatin1(c.Format), c.Arguments), c.Text) << c.Format;
}

// With no browser on the machine (an empty PATH: nothing Qt could start), every way into the
// help ends in an error box that names the page, so the person can open it by hand; with one,
// the page opens and no box shows.
TEST(Help, NoBrowserSaysSoInABoxNamingThePage) {
    const QByteArray savedPath = qgetenv("PATH");
    QTemporaryDir nothing;
    qputenv("PATH", nothing.path().toUtf8());
    TMessageBoxWatcher boxes;
    boxes.Answer = [](QMessageBox& box) { Press(box, "OK"); };
    TTestDialog dialog;
    dialog.SetHelpContext(2000);
    WhenShown(dialog, [&] {
        QTest::mouseClick(dialog.BtnHelp, Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_F1);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    dialog.Execute();
    OpenHelp(0);
    qputenv("PATH", savedPath);
    ASSERT_EQ(boxes.Seen.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString page = HelpPageUrl(i < 2 ? 2000 : 0).toLocalFile();
        EXPECT_TRUE(boxes.Seen[i].Text.contains(page)) << boxes.Seen[i].Text.toStdString();
        EXPECT_EQ(boxes.Seen[i].Icon, QMessageBox::Critical);
    }
    THelpCatcher browser;
    OpenHelp(2000);
    EXPECT_EQ(boxes.Seen.size(), 3);
    EXPECT_EQ(browser.Urls, QList<QUrl>{HelpPageUrl(2000)});
}
