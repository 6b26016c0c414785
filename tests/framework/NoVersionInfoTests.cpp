// A program file without version information: this test program carries none.
#include "FLXAbout.h"
#include "LXApps.h"
#include "LXVerLabel.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {
class TPlainApp : public TLxBaseApplication {
public:
    TPlainApp() : TLxBaseApplication(false) {}
    QString GetAppName() const override { return QStringLiteral("Velloria"); }
};
} // namespace

TEST(NoVersionInfo, AboutCannotBeShownAndLabelsCannotRead) {
    TLXVersionLabel label;
    EXPECT_THROW(label.SetVersionResource(TLXVersionLabel::vrProductName), EVersionInfoError);
    EXPECT_EQ(TLXVersionLabel::SharedVersionInfo(), nullptr);
    EXPECT_THROW(TLXAboutForm form, EVersionInfoError);
    TPlainApp application;
    try {
        application.ShowAbout();
        ADD_FAILURE() << "the About dialog was shown";
    } catch (const EVersionInfoError& error) {
        EXPECT_TRUE(error.Message().endsWith("holds no version information."));
    }
    // Nothing was left on the screen.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TLXAboutForm*>(widget), nullptr);
}
