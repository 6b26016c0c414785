#include "../ModalLoop.h"
#include "AppShell.h"
#include "LxButtons.h"
#include "LxForms.h"

#include <QFontInfo>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// A form whose close query answers as told and counts the questions.
class TQueriedForm : public TLxForm {
public:
    bool Allow = true;
    QList<int> Asked;

protected:
    bool CloseQuery() override {
        Asked.append(ModalResult());
        return Allow;
    }
};

} // namespace

TEST(LxForm, ResultBeforeShowingDoesNotClose) {
    TQueriedForm form;
    form.SetModalResult(mrCancel);
    EXPECT_EQ(form.ModalResult(), mrCancel);
    EXPECT_TRUE(form.Asked.isEmpty());
}

TEST(LxForm, EveryWayOfClosingAsksTheCloseQuery) {
    const struct {
        const char* Way;
        std::function<void(TLxForm&)> Close;
        int Result;
    } cases[] = {
        {"close box", [](TLxForm& f) { f.close(); }, mrCancel},
        {"Escape", [](TLxForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }, mrCancel},
        {"result Yes", [](TLxForm& f) { f.SetModalResult(mrYes); }, mrYes},
        {"accept", [](TLxForm& f) { f.accept(); }, mrOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Way);
        TQueriedForm form;
        bool refused = false;
        WhenShown(form, [&] {
            form.Allow = false;
            c.Close(form);
            refused = QTest::qWaitFor([&] { return !form.Asked.isEmpty(); }) && form.isVisible() &&
                      form.ModalResult() == mrNone;
            form.Allow = true;
            c.Close(form);
        });
        EXPECT_EQ(form.ShowModal(), c.Result);
        EXPECT_TRUE(refused);
        EXPECT_EQ(form.Asked, (QList<int>{c.Result, c.Result}));
    }
}

TEST(LxForm, EscapeClicksTheCancelButtonAndEnterTheDefault) {
    TLxForm form;
    TLxButton ok(TLxButton::bkOK, &form);
    TLxButton abort(TLxButton::bkAbort, &form);
    abort.SetCancel(true);
    abort.move(0, 40);
    int clicked = 0;
    QObject::connect(&abort, &TLxButton::Click, [&] { ++clicked; });
    WhenShown(form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    EXPECT_EQ(form.ShowModal(), mrAbort);
    EXPECT_EQ(clicked, 1);

    WhenShown(form, [&] { QTest::keyClick(&form, Qt::Key_Return); });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST(LxForm, ShownAtTheCentreOfTheMainForm) {
    TApplication shell;
    QWidget mainForm;
    mainForm.setGeometry(100, 80, 640, 480);
    shell.MainForm = &mainForm;
    mainForm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainForm));
    TLxForm form;
    form.resize(200, 100);
    form.move(0, 0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect outer = mainForm.frameGeometry();
    const QRect inner = form.frameGeometry();
    EXPECT_EQ(inner.left() - outer.left(), outer.right() - inner.right());
    EXPECT_EQ(inner.top() - outer.top(), outer.bottom() - inner.bottom());
}

TEST(LxForm, DialogFamiliesResolveToLiberationSansAt11Pixels) {
    for (const char* family : {"Arial", "Tahoma", "MS Shell Dlg"}) {
        const QFontInfo info(FormFont(QLatin1String(family)));
        EXPECT_EQ(info.family().toStdString(), "Liberation Sans") << family;
        EXPECT_EQ(info.pixelSize(), 11) << family;
    }
}
