// The Plasma adapter. Plasma cannot run here: setting is checked against a stand-in shell on a
// private bus that records the script it is sent; reading uses a layout file in Plasma's format.
#include "DesktopExpectations.h"
#include "PlasmaWallpaper.h"
#include "TestPeers.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>

namespace {
// Answers org.kde.PlasmaShell.evaluateScript on its own thread, as the real shell would from
// its own process, so that the adapter's blocking call gets its reply.
class StandInPlasmaShell : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    QStringList Scripts() {
        QMutexLocker lock(&FMutex);
        return FScripts;
    }
    void SetFailing(bool failing) {
        QMutexLocker lock(&FMutex);
        FFailing = failing;
    }

public Q_SLOTS:
    QString evaluateScript(const QString& script) {
        QMutexLocker lock(&FMutex);
        FScripts << script;
        if (FFailing)
            sendErrorReply(QDBusError::Failed,
                           QStringLiteral("TypeError: desktops is not a function"));
        return QString();
    }

private:
    QMutex FMutex;
    QStringList FScripts;
    bool FFailing = false;
};

class StandInPlasmaShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(FBus.Address().isEmpty()) << "dbus-daemon did not start";
        FShellThread.start();
        FShell.moveToThread(&FShellThread);
        QDBusConnection shellBus =
            QDBusConnection::connectToBus(FBus.Address(), QStringLiteral("plasma-shell"));
        ASSERT_TRUE(shellBus.registerObject(QStringLiteral("/PlasmaShell"), &FShell,
                                            QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(shellBus.registerService(QStringLiteral("org.kde.plasmashell")));
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("plasma-shell"));
        QDBusConnection::disconnectFromBus(QStringLiteral("plasma-client"));
        FShellThread.quit();
        FShellThread.wait();
    }
    TPlasmaWallpaper Desktop() {
        return TPlasmaWallpaper(
            QDBusConnection::connectToBus(FBus.Address(), QStringLiteral("plasma-client")),
            FConfig.path());
    }

    TPrivateBus FBus;
    QTemporaryDir FConfig;
    QThread FShellThread;
    StandInPlasmaShell FShell;
};

void WriteAppletsFile(const QString& folder, const QByteArray& text) {
    QFile file(folder + QStringLiteral("/plasma-org.kde.plasma.desktop-appletsrc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A layout as Plasma writes it: a panel, then two desktops; the lower number comes first
// numerically, not by text.
const QByteArray AppletsFile = R"([ActionPlugins][0]
RightButton;NoModifier=org.kde.contextmenu

[Containments][2]
activityId=
formfactor=2
immutability=1
lastScreen=0
location=4
plugin=org.kde.panel
wallpaperplugin=

[Containments][2][Applets][3]
immutability=1
plugin=org.kde.plasma.kickoff

[Containments][10]
activityId=6f1c
lastScreen=1
plugin=org.kde.plasma.folder
wallpaperplugin=org.kde.image

[Containments][10][Wallpaper][org.kde.image][General]
Image=file:///srv/other.jpg

[Containments][9]
activityId=6f1c
formfactor=0
lastScreen=0
plugin=org.kde.plasma.folder
wallpaperplugin=%1

[Containments][9][Wallpaper][%1][General]
%2
)";
} // namespace

TEST_F(StandInPlasmaShellTest, ScriptGivesEveryDesktopTheImageAndFillMode) {
    TPlasmaWallpaper desktop = Desktop();
    EXPECT_EQ(desktop.Name(), QStringLiteral("kde"));
    const QList<QPair<TLxWallpaperStyle, int>> fillModes = {{wsTiled, 3},     {wsCentered, 6},
                                                            {wsStretched, 0}, {wsZoomed, 2},
                                                            {wsScaled, 1},    {OutOfRangeStyle, 6}};
    for (const auto& [style, fillMode] : fillModes)
        ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/srv/été #1/a\"b.jpg"), style));
    const QStringList scripts = FShell.Scripts();
    ASSERT_EQ(scripts.size(), fillModes.size());
    for (int i = 0; i < scripts.size(); ++i) {
        const QString& script = scripts[i];
        EXPECT_TRUE(script.contains(QStringLiteral("var ds = desktops();")))
            << script.toStdString();
        EXPECT_TRUE(script.contains(QStringLiteral("d.wallpaperPlugin = \"org.kde.image\";")));
        EXPECT_TRUE(script.contains(QStringLiteral(
            "d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];")));
        EXPECT_TRUE(script.contains(QStringLiteral(
            "d.writeConfig(\"Image\", \"file:///srv/%C3%A9t%C3%A9%20%231/a%22b.jpg\");")))
            << script.toStdString();
        EXPECT_TRUE(script.contains(
            QStringLiteral("d.writeConfig(\"FillMode\", %1);").arg(fillModes[i].second)));
    }
}

// No picture is Plasma's plain colour wallpaper on every desktop, with no image written.
TEST_F(StandInPlasmaShellTest, NoPictureGivesEveryDesktopThePlainColour) {
    TPlasmaWallpaper desktop = Desktop();
    ASSERT_TRUE(desktop.SetWallpaper(QString(), wsTiled));
    const QStringList scripts = FShell.Scripts();
    ASSERT_EQ(scripts.size(), 1);
    EXPECT_TRUE(scripts[0].contains(QStringLiteral("var ds = desktops();")));
    EXPECT_TRUE(scripts[0].contains(QStringLiteral("ds[i].wallpaperPlugin = \"org.kde.color\";")))
        << scripts[0].toStdString();
    EXPECT_FALSE(scripts[0].contains(QStringLiteral("Image"))) << scripts[0].toStdString();
}

TEST_F(StandInPlasmaShellTest, ScriptErrorOrMissingShellFailsWithTheShellsAnswer) {
    TPlasmaWallpaper desktop = Desktop();
    FShell.SetFailing(true);
    EXPECT_FALSE(desktop.SetWallpaper(QStringLiteral("/a.jpg"), wsTiled));
    EXPECT_EQ(desktop.LastError(), QStringLiteral("Plasma: TypeError: desktops is not a function "
                                                  "(org.freedesktop.DBus.Error.Failed)"));
    QDBusConnection::connectToBus(FBus.Address(), QStringLiteral("plasma-shell"))
        .unregisterService(QStringLiteral("org.kde.plasmashell"));
    FShell.SetFailing(false);
    EXPECT_FALSE(desktop.SetWallpaper(QStringLiteral("/a.jpg"), wsTiled));
    EXPECT_TRUE(desktop.LastError().contains(QStringLiteral("org.kde.plasmashell")))
        << desktop.LastError().toStdString();
    EXPECT_EQ(FShell.Scripts().size(), 1);
}

TEST(PlasmaWallpaper, ReadsTheFirstDesktopOfTheLayoutFile) {
    QTemporaryDir config;
    TPlasmaWallpaper desktop(QDBusConnection(QString()), config.path());
    ExpectGetFails(desktop);

    struct Case {
        const char* Plugin;
        const char* General;
        QString FileName;
        TLxWallpaperStyle Style;
    };
    const QList<Case> cases = {
        {"org.kde.image", "FillMode=3\nImage=file:///srv/p%C3%A9/sea%20view.jpg",
         QStringLiteral("/srv/pé/sea view.jpg"), wsTiled},
        {"org.kde.image", "FillMode=0\nImage=/srv/plain path.png",
         QStringLiteral("/srv/plain path.png"), wsStretched},
        {"org.kde.image", "FillMode=6\nImage=file:///srv/c.jpg", QStringLiteral("/srv/c.jpg"),
         wsCentered},
        {"org.kde.image", "Image=file:///srv/default.jpg", QStringLiteral("/srv/default.jpg"),
         wsZoomed},
        {"org.kde.image", "FillMode=1\nImage=\\s/srv/lead.jpg", QStringLiteral(" /srv/lead.jpg"),
         wsScaled},
        {"org.kde.image", "FillMode=2\nImage=file:///srv/crop.jpg", QStringLiteral("/srv/crop.jpg"),
         wsZoomed},
        {"org.kde.image", "FillMode=4\nImage=file:///srv/v.jpg", QStringLiteral("/srv/v.jpg"),
         wsCentered},
        {"org.kde.tiled", "Image=file:///srv/t.png", QStringLiteral("/srv/t.png"), wsTiled},
        {"org.kde.color", "Color=0,0,0", QStringLiteral("/srv/other.jpg"), wsZoomed},
    };
    QString fileName;
    TLxWallpaperStyle style = OutOfRangeStyle;
    for (const Case& c : cases) {
        WriteAppletsFile(config.path(), QString::fromUtf8(AppletsFile)
                                            .arg(QLatin1String(c.Plugin), QLatin1String(c.General))
                                            .toUtf8());
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style)) << c.General;
        EXPECT_EQ(fileName, c.FileName) << c.General;
        EXPECT_EQ(style, c.Style) << c.General;
    }
}

#include "PlasmaWallpaperTests.moc"
