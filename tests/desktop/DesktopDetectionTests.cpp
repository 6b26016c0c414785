// Choosing the adapter from a snapshot of the session, the factory's adapters, the style words,
// and the state file.
#include "DesktopExpectations.h"
#include "DesktopFactory.h"
#include "WallpaperState.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QSet<TDesktopKind> AllSchemas = {TDesktopKind::Gnome, TDesktopKind::Mate,
                                       TDesktopKind::Cinnamon};

TDesktopSnapshot X11Session(const QString& currentDesktop,
                            const QSet<TDesktopKind>& schemas = AllSchemas) {
    TDesktopSnapshot snapshot;
    snapshot.CurrentDesktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    snapshot.SessionType = QStringLiteral("x11");
    snapshot.X11Display = true;
    snapshot.Schemas = schemas;
    return snapshot;
}
} // namespace

TEST(DesktopDetection, CurrentDesktopNamesPickTheirFamilyInOrder) {
    const QList<QPair<QString, TDesktopKind>> cases = {
        {QStringLiteral("GNOME"), TDesktopKind::Gnome},
        {QStringLiteral("ubuntu:GNOME"), TDesktopKind::Gnome},
        {QStringLiteral("Budgie:GNOME"), TDesktopKind::Gnome},
        {QStringLiteral("Pantheon"), TDesktopKind::Gnome},
        {QStringLiteral("Unity"), TDesktopKind::Gnome},
        {QStringLiteral("MATE"), TDesktopKind::Mate},
        {QStringLiteral("X-Cinnamon"), TDesktopKind::Cinnamon},
        {QStringLiteral("XFCE"), TDesktopKind::Xfce},
        {QStringLiteral("KDE"), TDesktopKind::Kde},
        {QStringLiteral("sway:wlroots"), TDesktopKind::Sway},
        {QStringLiteral("Hyprland"), TDesktopKind::Sway},
        {QStringLiteral("XFCE:GNOME"), TDesktopKind::Xfce},
        {QStringLiteral("LXQt"), TDesktopKind::X11Root},
        {QStringLiteral("gnome"), TDesktopKind::X11Root},
        {QString(), TDesktopKind::X11Root},
    };
    for (const auto& [names, kind] : cases)
        EXPECT_EQ(DesktopKindName(DetectDesktop(X11Session(names))), DesktopKindName(kind))
            << names.toStdString();
}

TEST(DesktopDetection, GSettingsFamiliesNeedTheirSchema) {
    EXPECT_EQ(DetectDesktop(X11Session(QStringLiteral("MATE"), {TDesktopKind::Gnome})),
              TDesktopKind::X11Root);
    EXPECT_EQ(DetectDesktop(X11Session(QStringLiteral("X-Cinnamon:GNOME"), {TDesktopKind::Gnome})),
              TDesktopKind::Gnome);
    TDesktopSnapshot wayland = X11Session(QStringLiteral("GNOME"), {});
    wayland.SessionType = QStringLiteral("wayland");
    EXPECT_EQ(DetectDesktop(wayland), TDesktopKind::None);
}

TEST(DesktopDetection, HintsAndAnsweringShellsWhenTheNamesSayNothing) {
    TDesktopSnapshot snapshot = X11Session(QString());
    snapshot.DesktopSession = QStringLiteral("plasma");
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::Kde);
    snapshot.DesktopSession = QStringLiteral("xubuntu");
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::Xfce);
    snapshot.DesktopSession.clear();
    snapshot.KdeFullSession = true;
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::Kde);
    snapshot.KdeFullSession = false;
    snapshot.BusNames = {QStringLiteral("org.xfce.xfdesktop")};
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::Xfce);
    snapshot.BusNames.insert(QStringLiteral("org.kde.plasmashell"));
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::Kde);
    EXPECT_TRUE(DesktopBusNames().contains(QStringLiteral("org.gnome.Shell")));
}

TEST(DesktopDetection, WaylandWithoutAKnownCompositorHasNoAdapter) {
    TDesktopSnapshot snapshot;
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::None) << "a text console";
    snapshot.WaylandDisplay = true;
    snapshot.X11Display = true; // Xwayland
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::None);
    snapshot.SwaySocket = true; // sway before 1.11 leaves XDG_CURRENT_DESKTOP empty
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::Sway);
    snapshot.SwaySocket = false;
    snapshot.SessionType = QStringLiteral("x11"); // a stale WAYLAND_DISPLAY in an X session
    EXPECT_EQ(DetectDesktop(snapshot), TDesktopKind::X11Root);
}

TEST(DesktopFactory, EveryKindGetsTheAdapterOfItsName) {
    QTemporaryDir state;
    for (TDesktopKind kind :
         {TDesktopKind::None, TDesktopKind::Gnome, TDesktopKind::Mate, TDesktopKind::Cinnamon,
          TDesktopKind::Xfce, TDesktopKind::Kde, TDesktopKind::Sway, TDesktopKind::X11Root})
        EXPECT_EQ(CreateDesktopWallpaper(kind, state.path())->Name(), DesktopKindName(kind));
    const auto none = CreateDesktopWallpaper(TDesktopKind::None, state.path());
    ExpectGetFails(*none);
    EXPECT_FALSE(none->SetWallpaper(QStringLiteral("/a.jpg"), wsTiled));
    EXPECT_TRUE(none->LastError().startsWith(QStringLiteral("no supported desktop was found")));
    EXPECT_TRUE(DefaultStateFolder().endsWith(QStringLiteral("/Ornwick/Velloria/")));
}

TEST(WallpaperState, RoundTripAndDamagedFiles) {
    QTemporaryDir folder;
    const QString stateFolder = folder.filePath(QStringLiteral("a/b"));
    TWallpaperState state;
    EXPECT_FALSE(LoadWallpaperState(stateFolder, state));
    const QString longName =
        QStringLiteral("/ü/") + QString(400, QChar(0x4E2D)) + QStringLiteral(".bmp");
    QString error;
    ASSERT_TRUE(SaveWallpaperState(stateFolder,
                                   {longName, wsStretched, {4242, 18446744073709551615u}}, error));
    ASSERT_TRUE(LoadWallpaperState(stateFolder, state));
    EXPECT_EQ(state.FileName, longName);
    EXPECT_EQ(state.Style, wsStretched);
    EXPECT_EQ(state.Process, (TProcessId{4242, 18446744073709551615u}));
    // A file written before the start time was kept still reads, with the start time unknown.
    const QList<QPair<QByteArray, TProcessId>> readable = {
        {"{\"file\": \"/x\", \"style\": 0, \"pid\": 77}", {77, 0}},
        {"{\"file\": \"/x\", \"style\": 0}", {0, 0}}};
    for (const auto& [text, process] : readable) {
        QFile file(WallpaperStateFile(stateFolder));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        ASSERT_TRUE(LoadWallpaperState(stateFolder, state)) << text.constData();
        EXPECT_EQ(state.Process, process);
    }
    for (const QByteArray& damaged : {QByteArray("{\"file\": 3, \"style\": 1}"),
                                      QByteArray("{\"file\": \"/x\"}"), QByteArray("not json")}) {
        QFile file(WallpaperStateFile(stateFolder));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
        file.close();
        TWallpaperState loaded;
        EXPECT_FALSE(LoadWallpaperState(stateFolder, loaded)) << damaged.constData();
    }
}

TEST(WallpaperState, SavingKeepsTheFilesModeAndWritesThroughALink) {
    QTemporaryDir folder;
    const QString kept = folder.filePath(QStringLiteral("kept.json"));
    QFile target(kept);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.close();
    ASSERT_TRUE(target.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(kept, WallpaperStateFile(folder.path())));
    QString error;
    ASSERT_TRUE(SaveWallpaperState(folder.path(), {QStringLiteral("/x.bmp"), wsTiled, {}}, error))
        << error.toStdString();
    EXPECT_TRUE(QFileInfo(WallpaperStateFile(folder.path())).isSymLink());
    // Owner, group and other bits only: the user bits say what this process may do.
    EXPECT_EQ(QFileInfo(kept).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    TWallpaperState state;
    ASSERT_TRUE(LoadWallpaperState(folder.path(), state));
    EXPECT_EQ(state.FileName, QStringLiteral("/x.bmp"));
}
