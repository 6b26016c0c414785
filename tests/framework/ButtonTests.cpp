#include "../HelpCatcher.h"
#include "../ModalLoop.h"
#include "Help.h"
#include "LxButtons.h"
#include "LxForms.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct KindCase {
    TLxButton::TKind Kind;
    const char* Caption;
    int ModalResult;
    bool Default;
    bool Cancel;
};

const KindCase KindCases[] = {
    {TLxButton::bkOK, "OK", mrOk, true, false},
    {TLxButton::bkCancel, "Cancel", mrCancel, false, true},
    {TLxButton::bkHelp, "&Help", mrNone, false, false},
    {TLxButton::bkYes, "&Yes", mrYes, true, false},
    {TLxButton::bkNo, "&No", mrNo, false, true},
    {TLxButton::bkClose, "&Close", mrNone, false, false},
    {TLxButton::bkAbort, "Abort", mrAbort, false, false},
    {TLxButton::bkRetry, "&Retry", mrRetry, false, false},
    {TLxButton::bkIgnore, "&Ignore", mrIgnore, false, false},
    {TLxButton::bkAll, "&All", mrAll, false, false},
};

} // namespace

TEST(LxButton, EveryKindSetsItsRow) {
    for (const KindCase& c : KindCases) {
        SCOPED_TRACE(c.Caption);
        TLxButton button;
        button.SetKind(c.Kind);
        EXPECT_EQ(button.Kind(), c.Kind);
        EXPECT_EQ(button.Caption(), QString::fromLatin1(c.Caption));
        EXPECT_EQ(button.ModalResult(), c.ModalResult);
        EXPECT_EQ(button.Default(), c.Default);
        EXPECT_EQ(button.isDefault(), c.Default);
        EXPECT_EQ(button.Cancel(), c.Cancel);
    }
}

TEST(LxButton, NewButtonIsCustomAndCustomKeepsTheRest) {
    TLxButton button;
    EXPECT_EQ(button.Kind(), TLxButton::bkCustom);
    EXPECT_EQ(button.Caption(), QString());
    EXPECT_EQ(button.ModalResult(), mrNone);
    button.SetKind(TLxButton::bkYes);
    button.SetKind(TLxButton::bkCustom);
    EXPECT_EQ(button.Kind(), TLxButton::bkCustom);
    EXPECT_EQ(button.Caption(), "&Yes");
    EXPECT_EQ(button.ModalResult(), mrYes);
    EXPECT_TRUE(button.Default());
    // Back to the same kind after custom sets the whole row again.
    button.SetCaption(QStringLiteral("Sure"));
    button.SetKind(TLxButton::bkYes);
    EXPECT_EQ(button.Caption(), "&Yes");
}

TEST(LxButton, KindReadsBackAsCustomOnceTheRowNoLongerMatches) {
    const struct {
        const char* Change;
        std::function<void(TLxButton&)> Apply;
        bool StillOK;
    } cases[] = {
        {"Default false", [](TLxButton& b) { b.SetDefault(false); }, false},
        {"Cancel true", [](TLxButton& b) { b.SetCancel(true); }, false},
        {"ModalResult Yes", [](TLxButton& b) { b.SetModalResult(mrYes); }, false},
        {"caption", [](TLxButton& b) { b.SetCaption(QStringLiteral("Go")); }, true},
        {"Default true again", [](TLxButton& b) { b.SetDefault(true); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Change);
        TLxButton button(TLxButton::bkOK, nullptr);
        c.Apply(button);
        EXPECT_EQ(button.Kind(), c.StillOK ? TLxButton::bkOK : TLxButton::bkCustom);
        EXPECT_EQ(button.property("Kind").toInt(), button.Kind());
    }
    // Once read back as custom the kind stays custom, even when the row matches again.
    TLxButton button(TLxButton::bkOK, nullptr);
    button.SetDefault(false);
    EXPECT_EQ(button.Kind(), TLxButton::bkCustom);
    button.SetDefault(true);
    EXPECT_EQ(button.Kind(), TLxButton::bkCustom);
}

TEST(LxButton, DefaultStaysWhileFocusMovesToAnotherButton) {
    TLxForm form;
    TLxButton ok(TLxButton::bkOK, &form);
    TLxButton cancel(TLxButton::bkCancel, &form);
    cancel.move(0, 40);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancel.hasFocus() && cancel.isDefault(); }));
    EXPECT_EQ(ok.Kind(), TLxButton::bkOK);
    EXPECT_TRUE(ok.Default());
}

TEST(LxButton, ClickGivesTheFormItsResultThenRunsTheClickEvent) {
    TLxForm form;
    TLxButton retry(TLxButton::bkRetry, &form);
    int resultSeenByClick = -1;
    QObject::connect(&retry, &TLxButton::Click, [&] { resultSeenByClick = form.ModalResult(); });
    WhenShown(form, [&] { QTest::mouseClick(&retry, Qt::LeftButton); });
    EXPECT_EQ(form.ShowModal(), mrRetry);
    EXPECT_EQ(resultSeenByClick, mrRetry);
    EXPECT_FALSE(form.isVisible());
}

TEST(LxButton, ClickEventMayTakeTheResultBack) {
    TLxForm form;
    TLxButton ok(TLxButton::bkOK, &form);
    TLxButton cancel(TLxButton::bkCancel, &form);
    QObject::connect(&ok, &TLxButton::Click, [&] { form.SetModalResult(mrNone); });
    bool openAfterOk = false;
    WhenShown(form, [&] {
        QTest::mouseClick(&ok, Qt::LeftButton);
        QCoreApplication::processEvents();
        openAfterOk = form.isVisible();
        QTest::mouseClick(&cancel, Qt::LeftButton);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_TRUE(openAfterOk);
}

TEST(LxButton, HelpOpensTheNearestHelpContextInACaughtBrowser) {
    THelpCatcher browser;
    TLxForm form;
    form.SetHelpContext(2000);
    QWidget panel(&form);
    TLxButton help(TLxButton::bkHelp, &panel);
    QSignalSpy clicks(&help, &TLxButton::Click);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(&help, Qt::LeftButton);
    SetHelpContext(&panel, 2100);
    QTest::mouseClick(&help, Qt::LeftButton);
    SetHelpContext(&help, 35020);
    QTest::mouseClick(&help, Qt::LeftButton);

    EXPECT_EQ(browser.Urls,
              (QList<QUrl>{HelpPageUrl(2000), HelpPageUrl(2100), HelpPageUrl(35020)}));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(form.isVisible());
}

TEST(LxButton, HelpWithoutAnyHelpContextIsAPlainClick) {
    THelpCatcher browser;
    TLxForm form;
    TLxButton help(TLxButton::bkHelp, &form);
    QSignalSpy clicks(&help, &TLxButton::Click);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(&help, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(browser.Urls.isEmpty());
}

TEST(LxButton, CloseClosesItsFormWithoutClickEvent) {
    TLxForm form;
    TLxButton close(TLxButton::bkClose, &form);
    QSignalSpy clicks(&close, &TLxButton::Click);
    WhenShown(form, [&] { QTest::mouseClick(&close, Qt::LeftButton); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(clicks.count(), 0);

    // Without a form around it, a Close button only clicks.
    TLxButton alone(TLxButton::bkClose, nullptr);
    QSignalSpy aloneClicks(&alone, &TLxButton::Click);
    alone.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&alone));
    QTest::mouseClick(&alone, Qt::LeftButton);
    EXPECT_EQ(aloneClicks.count(), 1);
    EXPECT_TRUE(alone.isVisible());
}
