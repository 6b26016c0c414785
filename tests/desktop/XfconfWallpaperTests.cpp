// The XFCE adapter against a real xfconfd on a private session bus; xfconf-query checks what
// the daemon holds.
#include "DesktopExpectations.h"
#include "TestPeers.h"
#include "XfconfWallpaper.h"

#include <QDBusConnectionInterface>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

#include <memory>

namespace {
const QString Xfconfd = QStringLiteral(XFCONFD);
const QString Prefix = QStringLiteral("/backdrop/screen0/");

class XfconfWallpaperTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FConfig = std::make_unique<QTemporaryDir>();
        FBus = std::make_unique<TPrivateBus>();
        ASSERT_FALSE(FBus->Address().isEmpty()) << "dbus-daemon did not start";
        QProcessEnvironment environment = FBus->Environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), FConfig->path());
        FDaemon = std::make_unique<QProcess>();
        FDaemon->setProcessEnvironment(environment);
        FDaemon->start(Xfconfd, {});
        ASSERT_TRUE(WaitFor([] {
            return Bus()
                .interface()
                ->isServiceRegistered(QStringLiteral("org.xfce.Xfconf"))
                .value();
        })) << "xfconfd did not register";
    }
    static void TearDownTestSuite() {
        if (FDaemon) {
            FDaemon->terminate();
            FDaemon->waitForFinished(5000);
        }
        FDaemon.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("xfconf-test"));
        FBus.reset();
        FConfig.reset();
    }
    void SetUp() override {
        Query({QStringLiteral("-p"), QStringLiteral("/backdrop"), QStringLiteral("-r"),
               QStringLiteral("-R")});
    }

    static QDBusConnection Bus() {
        return QDBusConnection::connectToBus(FBus->Address(), QStringLiteral("xfconf-test"));
    }
    // xfconf-query on the channel; its output.
    static QString Query(const QStringList& arguments) {
        int exitCode = -1;
        const QString output = RunProgram(
            QStringLiteral("xfconf-query"),
            QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")} + arguments,
            exitCode, FBus->Environment());
        EXPECT_NE(exitCode, -1);
        return output;
    }
    static QString Property(const QString& property) {
        return Query({QStringLiteral("-p"), property});
    }
    static void Create(const QString& property, const QString& type, const QString& value) {
        Query({QStringLiteral("-n"), QStringLiteral("-p"), property, QStringLiteral("-t"), type,
               QStringLiteral("-s"), value});
    }

    static inline std::unique_ptr<QTemporaryDir> FConfig;
    static inline std::unique_ptr<TPrivateBus> FBus;
    static inline std::unique_ptr<QProcess> FDaemon;
};
} // namespace

TEST_F(XfconfWallpaperTest, FirstSetCreatesWorkspaceZeroOfEveryMonitor) {
    TXfconfWallpaper desktop(Bus(), {QStringLiteral("HDMI 1"), QStringLiteral("eDP-1")});
    ExpectGetFails(desktop);
    EXPECT_EQ(desktop.LastError(),
              QStringLiteral("xfconf holds no wallpaper yet (no .../last-image in xfce4-desktop)"));
    const QString file = QStringLiteral("/home/ö/Bilder/two words.jpg");
    ASSERT_TRUE(desktop.SetWallpaper(file, wsTiled));
    for (const QString& monitor :
         {QStringLiteral("monitorHDMI1"), QStringLiteral("monitoreDP-1")}) {
        EXPECT_EQ(Property(Prefix + monitor + QStringLiteral("/workspace0/last-image")), file);
        EXPECT_EQ(Property(Prefix + monitor + QStringLiteral("/workspace0/image-style")),
                  QStringLiteral("2"));
    }
    QString fileName;
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, file);
    EXPECT_EQ(style, wsTiled);
}

TEST_F(XfconfWallpaperTest, SetReplacesEveryExistingImageAndAddsNoOther) {
    const QStringList existing = {Prefix + QStringLiteral("monitorVGA-1/workspace0"),
                                  Prefix + QStringLiteral("monitorVGA-1/workspace3"),
                                  QStringLiteral("/backdrop/screen1/monitor0/workspace1")};
    for (const QString& base : existing) {
        Create(base + QStringLiteral("/last-image"), QStringLiteral("string"),
               QStringLiteral("/old.png"));
        Create(base + QStringLiteral("/image-style"), QStringLiteral("int"), QStringLiteral("5"));
    }
    TXfconfWallpaper desktop(Bus(), {QStringLiteral("HDMI-1")});
    QString fileName;
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QStringLiteral("/old.png"));
    EXPECT_EQ(style, wsCentered) << "zoomed (5) reads as centred";

    ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/new.bmp"), wsStretched));
    for (const QString& base : existing) {
        EXPECT_EQ(Property(base + QStringLiteral("/last-image")), QStringLiteral("/new.bmp"));
        EXPECT_EQ(Property(base + QStringLiteral("/image-style")), QStringLiteral("3"));
    }
    EXPECT_EQ(Query({QStringLiteral("-l")})
                  .split(QLatin1Char('\n'))
                  .filter(QStringLiteral("last-image"))
                  .size(),
              3);
}

// Asked for exactly what it reported, the adapter gives every monitor and workspace back its
// own picture and style.
TEST_F(XfconfWallpaperTest, SettingTheReportedWallpaperRestoresEachMonitorsOwnValues) {
    const QList<std::array<QString, 3>> monitors = {
        {Prefix + QStringLiteral("monitorDP-1/workspace0"), QStringLiteral("/a.png"),
         QStringLiteral("5")},
        {Prefix + QStringLiteral("monitorHDMI-1/workspace0"), QStringLiteral("/b.svg"),
         QStringLiteral("6")}};
    for (const auto& [base, image, imageStyle] : monitors) {
        Create(base + QStringLiteral("/last-image"), QStringLiteral("string"), image);
        Create(base + QStringLiteral("/image-style"), QStringLiteral("int"), imageStyle);
    }
    TXfconfWallpaper desktop(Bus(), {});
    QString fileName;
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    ASSERT_EQ(fileName, QStringLiteral("/a.png"));
    ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/other.bmp"), wsTiled));
    ASSERT_TRUE(desktop.SetWallpaper(fileName, style));
    for (const auto& [base, image, imageStyle] : monitors) {
        EXPECT_EQ(Property(base + QStringLiteral("/last-image")), image);
        EXPECT_EQ(Property(base + QStringLiteral("/image-style")), imageStyle);
    }
}

// A backdrop of colours only (image-style 0) reads as no picture; the empty name puts that back
// on every backdrop, keeping the file names xfdesktop remembers beside it.
TEST_F(XfconfWallpaperTest, NoPictureReadsAsAnEmptyNameAndIsPutBack) {
    const QStringList backdrops = {Prefix + QStringLiteral("monitorDP-1/workspace0"),
                                   Prefix + QStringLiteral("monitorDP-1/workspace1")};
    for (const QString& base : backdrops) {
        Create(base + QStringLiteral("/last-image"), QStringLiteral("string"),
               QStringLiteral("/kept.png"));
        Create(base + QStringLiteral("/image-style"), QStringLiteral("int"), QStringLiteral("3"));
    }
    ASSERT_TRUE(TXfconfWallpaper(Bus(), {}).SetWallpaper(QString(), wsTiled));
    for (const QString& base : backdrops) {
        EXPECT_EQ(Property(base + QStringLiteral("/last-image")), QStringLiteral("/kept.png"));
        EXPECT_EQ(Property(base + QStringLiteral("/image-style")), QStringLiteral("0"));
    }
    TXfconfWallpaper desktop(Bus(), {});
    QString fileName = QStringLiteral("stale");
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QString());
    ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/new.bmp"), wsStretched));
    EXPECT_EQ(Property(backdrops[1] + QStringLiteral("/image-style")), QStringLiteral("3"));
    ASSERT_TRUE(desktop.SetWallpaper(fileName, style));
    for (const QString& base : backdrops) {
        EXPECT_EQ(Property(base + QStringLiteral("/last-image")), QStringLiteral("/kept.png"));
        EXPECT_EQ(Property(base + QStringLiteral("/image-style")), QStringLiteral("0"));
    }
}

TEST_F(XfconfWallpaperTest, StylesMapBothWaysAndOutOfRangeCodesAreCentred) {
    TXfconfWallpaper desktop(Bus(), {QStringLiteral("DP-2")});
    const QString styleProperty = Prefix + QStringLiteral("monitorDP-2/workspace0/image-style");
    const QList<QPair<int, QString>> cases = {{wsTiled, QStringLiteral("2")},
                                              {wsCentered, QStringLiteral("1")},
                                              {wsStretched, QStringLiteral("3")},
                                              {255, QStringLiteral("1")},
                                              {-1, QStringLiteral("1")}};
    for (const auto& [written, stored] : cases) {
        ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/p.jpg"), written));
        EXPECT_EQ(Property(styleProperty), stored);
        QString fileName;
        int style = -1;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(style, ValidStyle(written));
    }
}

TEST(XfconfWallpaper, UnreachableBusFailsWithTheBussAnswer) {
    TXfconfWallpaper noBus(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                      QStringLiteral("no-bus")),
        {QStringLiteral("eDP-1")});
    ExpectGetFails(noBus);
    EXPECT_TRUE(
        noBus.LastError().endsWith(QStringLiteral("(org.freedesktop.DBus.Error.Disconnected)")))
        << noBus.LastError().toStdString();
}
