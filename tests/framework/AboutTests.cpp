// The About dialog, the version labels and the link labels, in a test program whose own file
// carries version information: 1.2.3 build 45, pre-release "rc1", special build, no debug or
// private flag.
#include "../HelpCatcher.h"
#include "FLXAbout.h"
#include "Help.h"
#include "LXApps.h"
#include "LXControls.h"
#include "LXVerLabel.h"
#include "ProgramFile.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
// Catches the mail and web addresses the link labels ask the desktop to open.
class TLinkCatcher : public QObject {
    Q_OBJECT
public:
    TLinkCatcher() {
        for (const char* scheme : {"mailto", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~TLinkCatcher() override {
        for (const char* scheme : {"mailto", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> Urls;

public slots:
    void Open(const QUrl& url) { Urls.append(url); }
};

// A parent that counts the mouse presses that reach it.
class TPressCounter : public QWidget {
public:
    int Presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++Presses; }
};

class TAboutApp : public TLxBaseApplication {
public:
    TAboutApp() : TLxBaseApplication(false) {}
    QString GetAppName() const override { return QStringLiteral("Velloria"); }
};

QList<TLXAboutForm*> AboutForms() {
    QList<TLXAboutForm*> forms;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TLXAboutForm*>(widget))
            forms.append(form);
    return forms;
}
} // namespace

TEST(VersionInfo, TestProgramCarriesItsOwnRecord) {
    const TVersionInfo info = ReadVersionInfo(ProgramFilePath());
    EXPECT_EQ(FormatFileVersion(info.FileVersion), "1.2.3 (45)");
    EXPECT_EQ(info.EffectiveFlags(), VS_FF_PRERELEASE | VS_FF_SPECIALBUILD);
    EXPECT_EQ(info.FileFlagsMask & VS_FF_DEBUG, VS_FF_DEBUG);
    EXPECT_EQ(info.StringValue("ProductVersion"), "1.2.3-rc1");
    EXPECT_EQ(info.StringValue("FileVersion"), "1.2.3.45");
    EXPECT_EQ(info.StringValue("SpecialBuild"), "Every field filled");
    EXPECT_EQ(info.StringValue("PrivateBuild"), "");
}

TEST(VersionLabel, ShowsPrefixAndTheChosenValue) {
    using L = TLXVersionLabel;
    const struct {
        L::TVersionResource Resource;
        const char* Value;
    } cases[] = {
        {L::vrCompanyName, "Ornwick"},
        {L::vrFileDescription, "About dialog tests"},
        {L::vrFileVersion, "1.2.3 (45)"},
        {L::vrInternalName, "about_tests"},
        {L::vrLegalCopyright, "Copyright \xc2\xa9 2026 Ornwick. All rights reserved."},
        {L::vrOriginalFilename, "about_tests"},
        {L::vrProductName, "Velloria"},
        {L::vrProductVersion, "1.2.3-rc1"},
        {L::vrComments, "Made for the tests"},
    };
    TLXVersionLabel label;
    EXPECT_EQ(label.VersionResource(), L::vrFileVersion);
    EXPECT_EQ(label.Prefix(), "");
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Value);
        label.SetVersionResource(test.Resource);
        EXPECT_EQ(label.text(), QString::fromUtf8(test.Value));
        label.SetPrefix(QStringLiteral("Version "));
        EXPECT_EQ(label.text(), QStringLiteral("Version ") + QString::fromUtf8(test.Value));
        label.SetPrefix(QString());
    }
}

TEST(VersionLabel, SharedCopyIsDroppedWhenAnyLabelIsDestroyed) {
    auto first = std::make_unique<TLXVersionLabel>();
    TLXVersionLabel second;
    EXPECT_EQ(TLXVersionLabel::SharedVersionInfo(), nullptr);
    first->Refresh();
    const TVersionInfo* shared = TLXVersionLabel::SharedVersionInfo();
    ASSERT_NE(shared, nullptr);
    second.SetVersionResource(TLXVersionLabel::vrProductName);
    EXPECT_EQ(TLXVersionLabel::SharedVersionInfo(), shared);
    first.reset();
    EXPECT_EQ(TLXVersionLabel::SharedVersionInfo(), nullptr);
    // The next label that needs it reads it again.
    second.SetPrefix(QStringLiteral("Product: "));
    EXPECT_NE(TLXVersionLabel::SharedVersionInfo(), nullptr);
    EXPECT_EQ(second.text(), "Product: Velloria");
}

TEST(LinkLabel, LooksLikeALinkAndShowsAmpersandsAsTheyAre) {
    QWidget form;
    form.setFont(FormFont(QStringLiteral("Tahoma")));
    TLxLinkLabel link(&form);
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.font().pixelSize(), 11);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link.LinkColor(), QColor(Qt::blue));
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(Qt::blue));
    link.SetLinkColor(Qt::darkGreen);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(Qt::darkGreen));
    EXPECT_EQ(link.LinkTo(), "");
    // An "&" taken as an access key would not take its own room.
    TLxLinkLabel plain(&form);
    link.setText(QStringLiteral("R&D"));
    plain.setText(QStringLiteral("RD"));
    EXPECT_GT(link.sizeHint().width(), plain.sizeHint().width());
}

TEST(LinkLabel, LeftButtonOpensTheTargetAndGoesNoFurther) {
    TLinkCatcher catcher;
    TPressCounter parent;
    TLxLinkLabel link(&parent);
    link.setText(QStringLiteral("Write to us"));
    link.SetLinkTo(QStringLiteral("mailto:velloria@ornwick.com"));
    link.resize(120, 13);
    QTest::mousePress(&link, Qt::LeftButton);
    QTest::mouseRelease(&link, Qt::LeftButton);
    EXPECT_EQ(catcher.Urls, QList<QUrl>{QUrl(QStringLiteral("mailto:velloria@ornwick.com"))});
    EXPECT_EQ(parent.Presses, 0);
    // A web address without a scheme still opens in the browser.
    link.SetLinkTo(QStringLiteral("www.ornwick.com"));
    QTest::mousePress(&link, Qt::LeftButton);
    ASSERT_EQ(catcher.Urls.size(), 2);
    EXPECT_EQ(catcher.Urls[1].host(), "www.ornwick.com");
    // Other buttons open nothing and reach the parent as on any label.
    QTest::mousePress(&link, Qt::RightButton);
    QTest::mousePress(&link, Qt::MiddleButton);
    EXPECT_EQ(catcher.Urls.size(), 2);
    EXPECT_EQ(parent.Presses, 2);
}

TEST(LinkLabel, EmptyTargetGivesNoMessage) {
    TLinkCatcher catcher;
    THelpCatcher files;
    TLxLinkLabel link;
    link.setText(QStringLiteral("nowhere"));
    link.resize(80, 13);
    QTest::mousePress(&link, Qt::LeftButton);
    EXPECT_TRUE(catcher.Urls.isEmpty());
    EXPECT_TRUE(files.Urls.isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QMessageBox*>(widget), nullptr);
}

TEST(BuildKind, WordsInOrderForTheFlagsInTheMask) {
    const std::uint32_t all =
        VS_FF_DEBUG | VS_FF_PRERELEASE | VS_FF_PATCHED | VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD;
    const struct {
        std::uint32_t Flags;
        std::uint32_t Mask;
        const char* Text;
    } cases[] = {
        {0, all, ""},
        {VS_FF_DEBUG, all, "DEBUG "},
        {VS_FF_SPECIALBUILD | VS_FF_PRERELEASE, all, "PRERELEASE SPECIAL "},
        {all, all, "DEBUG PRERELEASE PRIVATE SPECIAL "},
        {VS_FF_PATCHED | VS_FF_INFOINFERRED, all | VS_FF_INFOINFERRED, ""},
        // A flag outside the mask does not count.
        {all, VS_FF_PRIVATEBUILD, "PRIVATE "},
        {VS_FF_DEBUG | VS_FF_SPECIALBUILD, 0, ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Text);
        EXPECT_EQ(BuildKindText(test.Flags, test.Mask), QString::fromLatin1(test.Text));
    }
}

TEST(AboutForm, TextsComeFromTheProgramFile) {
    TLXAboutForm form;
    EXPECT_EQ(form.windowTitle(), "About Velloria");
    EXPECT_EQ(form.CProduct->text(), "Velloria");
    EXPECT_EQ(form.CVersion->text(), "Version 1.2.3 (45)");
    EXPECT_EQ(form.CCopyright->text(),
              QString::fromUtf8("Copyright \xc2\xa9 2026 Ornwick. All rights reserved."));
    EXPECT_EQ(form.CComment->text(), "PRERELEASE SPECIAL ");
    EXPECT_EQ(form.CMailURL->LinkTo(), "mailto:velloria@ornwick.com");
    EXPECT_TRUE(form.CWebURL->LinkTo().startsWith("https://"));
    EXPECT_EQ(form.BtnOk->Kind(), TLxButton::bkOK);
    EXPECT_EQ(form.HelpContext(), 30500);
}

// F1 anywhere in the dialog opens its page, as in every window.
TEST(AboutForm, F1OpensItsPage) {
    THelpCatcher browser;
    TLXAboutForm form;
    form.show();
    QTest::keyClick(form.BtnOk, Qt::Key_F1);
    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_EQ(browser.Urls, (QList<QUrl>{HelpPageUrl(30500), HelpPageUrl(30500)}));
}

TEST(AboutForm, ControlsInTheirPlacesAndFonts) {
    TLXAboutForm form;
    EXPECT_EQ(form.size(), QSize(328, 243));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_EQ(form.font().family(), "MS Shell Dlg");
    const struct {
        QWidget* Control;
        QRect Place;
    } cases[] = {
        {form.Bevel1, {4, 4, 48, 48}},        {form.CIcon, {12, 12, 32, 32}},
        {form.CProduct, {60, 8, 261, 13}},    {form.CVersion, {60, 24, 261, 13}},
        {form.CCopyright, {60, 40, 261, 13}}, {form.CComment, {4, 60, 321, 13}},
        {form.Label2, {-1, 140, 329, 13}},    {form.Label3, {-1, 156, 329, 13}},
        {form.Label4, {-1, 172, 329, 13}},    {form.CMailURL, {0, 188, 165, 13}},
        {form.CWebURL, {160, 188, 165, 13}},  {form.BtnOk, {126, 212, 75, 25}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Control->metaObject()->className());
        EXPECT_EQ(test.Control->geometry(), test.Place);
    }
    EXPECT_TRUE(form.CComment->font().bold());
    EXPECT_EQ(form.CComment->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
    EXPECT_TRUE(form.CComment->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(form.Label2->font().bold());
    EXPECT_FALSE(form.Label3->font().bold());
    EXPECT_TRUE(form.CIcon->hasScaledContents());
    EXPECT_TRUE(form.CMailURL->font().underline());
    EXPECT_EQ(form.CMailURL->font().pixelSize(), 11);
}

TEST(AboutForm, ShowAboutShowsTheDialogModallyAndFreesIt) {
    TAboutApp application;
    QObject steps; // ends the steps with the test, whatever happened
    bool shownModally = false;
    QTimer::singleShot(0, &steps, [&] {
        const auto shownForm = [] {
            const QList<TLXAboutForm*> forms = AboutForms();
            return forms.size() == 1 && forms[0]->isVisible() ? forms[0] : nullptr;
        };
        if (!QTest::qWaitFor([&] { return shownForm() != nullptr; }))
            return;
        TLXAboutForm* form = shownForm();
        shownModally = QApplication::activeModalWidget() == form;
        QTest::mouseClick(form->BtnOk, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return shownForm() == nullptr; })) {
            ADD_FAILURE() << "OK did not close the About dialog";
            form->hide();
        }
    });
    application.ShowAbout();
    EXPECT_TRUE(shownModally);
    EXPECT_TRUE(AboutForms().isEmpty());
    // Its labels went with it, and so did the copy they shared.
    EXPECT_EQ(TLXVersionLabel::SharedVersionInfo(), nullptr);
}

#include "AboutTests.moc"
