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
    TLxWallpaperStyle style = OutOfRangeStyle;
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
        Create(base + QStringLiteral("/image-style"), QStringLiteral("int"), QStringLiteral("6"));
    }
    TXfconfWallpaper desktop(Bus(), {QStringLiteral("HDMI-1")});
    QString fileName;
    TLxWallpaperStyle style = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QStringLiteral("/old.png"));
    EXPECT_EQ(style, wsCentered) << "spanning screens (6) reads as centred";

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
    TLxWallpaperStyle style = OutOfRangeStyle;
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
    TLxWallpaperStyle style = OutOfRangeStyle;
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
    const QList<QPair<TLxWallpaperStyle, QString>> cases = {
        {wsTiled, QStringLiteral("2")},
        {wsCentered, QStringLiteral("1")},
        {wsStretched, QStringLiteral("3")},
        {wsZoomed, QStringLiteral("5")},
        {wsScaled, QStringLiteral("4")},
        {OutOfRangeStyle, QStringLiteral("1")},
        {TLxWallpaperStyle(WallpaperStyleCount), QStringLiteral("1")}};
    for (const auto& [written, stored] : cases) {
        ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/p.jpg"), written));
        EXPECT_EQ(Property(styleProperty), stored);
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(style, ValidStyle(written));
    }
}

// xfdesktop reads PNG and SVG itself: the tool hands them over as they are, in the new
// styles; a ".jpeg" goes through the cache.
TEST_F(XfconfWallpaperTest, ToolHandsXfcePngAndSvgAsTheyAreAndConvertsTheRest) {
    QTemporaryDir folder;
    QProcessEnvironment environment = FBus->Environment();
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("XFCE"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
    QImage photo(6, 4, QImage::Format_RGB32);
    photo.fill(Qt::darkBlue);
    const QString png = folder.filePath(QStringLiteral("photo.png"));
    const QString jpeg = folder.filePath(QStringLiteral("photo.jpeg"));
    ASSERT_TRUE(photo.save(png, "PNG"));
    ASSERT_TRUE(photo.save(jpeg, "JPEG"));
    const QString svg = folder.filePath(QStringLiteral("drawing.svg"));
    QFile drawing(svg);
    ASSERT_TRUE(drawing.open(QIODevice::WriteOnly));
    drawing.write("<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>");
    drawing.close();
    const struct {
        QString File;
        const char* Style;
        QString Handed;
        const char* ImageStyle;
    } cases[] = {
        {png, "zoomed", png, "5"},
        {svg, "scaled", svg, "4"},
        {jpeg, "zoomed", folder.filePath(QStringLiteral("Ornwick/Velloria/VL%photo.bmp")), "5"},
    };
    // An existing wallpaper, so that the tool's own monitor names do not matter.
    const QString base = Prefix + QStringLiteral("monitorVGA-1/workspace0");
    Create(base + QStringLiteral("/last-image"), QStringLiteral("string"),
           QStringLiteral("/old.png"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        int exitCode = -1;
        const QString output = RunProgram(
            QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-desktop"),
            {QStringLiteral("set"), c.File, QLatin1String(c.Style)}, exitCode, environment);
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(output, c.Handed);
        EXPECT_EQ(Property(base + QStringLiteral("/last-image")), c.Handed);
        EXPECT_EQ(Property(base + QStringLiteral("/image-style")), QLatin1String(c.ImageStyle));
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
