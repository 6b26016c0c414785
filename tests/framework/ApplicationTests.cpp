#include "ConfigTestSupport.h"
#include "LXApps.h"
#include "LxConfiguration.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>

namespace {
class TestApp : public TLXApplication {
public:
    QString GetAppName() const override { return QStringLiteral("Velloria"); }
};

class Application : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QByteArray SavedConfigHome = qgetenv("XDG_CONFIG_HOME");
    void SetUp() override { qputenv("XDG_CONFIG_HOME", (Home.path() + "/cfg").toUtf8()); }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", SavedConfigHome); }
};
} // namespace

TEST_F(Application, OnlyOneInstanceAtATime) {
    TestApp first;
    EXPECT_EQ(TLxBaseApplication::Instance(), &first);
    try {
        TestApp second;
        FAIL() << "second instance created";
    } catch (const EAssertionFailed& error) {
        EXPECT_TRUE(
            error.Message().startsWith("TLxBaseApplication instance already exists (LXApps, line"))
            << error.Message().toStdString();
    }
    EXPECT_EQ(TLxBaseApplication::Instance(), &first);
}

TEST_F(Application, DataFolderIsCreatedWithItsParents) {
    TestApp app;
    EXPECT_EQ(app.GetDataFolder(), Home.path() + "/cfg/Ornwick/Velloria/");
    app.CreateDataFolder();
    EXPECT_TRUE(QFileInfo(Home.path() + "/cfg/Ornwick/Velloria").isDir());
    EXPECT_NO_THROW(app.CreateDataFolder());
    app.SharedDataFolder = true;
    EXPECT_EQ(app.GetDataFolder(), Home.path() + "/cfg/Ornwick/");
}

TEST_F(Application, DataFolderThatCannotBeCreated) {
    QDir().mkpath(Home.path() + "/cfg/Ornwick");
    WriteWhole(Home.path() + "/cfg/Ornwick/Velloria", "a file in the way");
    TestApp app;
    try {
        app.CreateDataFolder();
        FAIL();
    } catch (const ELXApplication& error) {
        EXPECT_EQ(error.Message(),
                  "Unable to create folder:\r" + Home.path() + "/cfg/Ornwick/Velloria/");
    }
}

TEST_F(Application, HelpFileGetsTheProgramFolderUnlessItHasOne) {
    EXPECT_EQ(CompleteHelpFileName("velloria.chm", "/opt/velloria"), "/opt/velloria/velloria.chm");
    EXPECT_EQ(CompleteHelpFileName("docs/velloria.chm", "/opt/velloria"), "docs/velloria.chm");
}

// The whole initialise / finalise cycle through the process-wide registry: a first run, a
// second run that counts on, and a -nc run that starts fresh yet saves.
TEST_F(Application, SessionRecordAcrossRuns) {
    const QString file = Home.path() + "/cfg/Ornwick/Velloria/framework_tests.ini";
    TLxSessionInfo first{};
    {
        TestApp app;
        app.Parameters = QStringList{};
        const TDateTime before = Now();
        app.Initialize();
        EXPECT_EQ(app.SessionInfo.RunCount, 1);
        EXPECT_GE(app.SessionInfo.FirstStart, before);
        EXPECT_EQ(app.SessionInfo.LastExit, 0.0);
        app.Finalize();
        EXPECT_GT(app.SessionInfo.LastExit, 0.0);
        first = app.SessionInfo;
    }
    ASSERT_TRUE(ReadWhole(file).contains("SessionInfo="));
    // The registry is process-wide: the later "runs" reload the file it keeps open, as a new
    // process would read the same bytes.
    TLxSessionInfo stored{};
    TLXConfiguration reader;
    reader.SetAppName("Velloria");
    reader.Items.Add(MakeBinaryConfig("SessionInfo", &stored, sizeof stored));
    reader.Load();
    EXPECT_EQ(stored.RunCount, 1);
    EXPECT_EQ(stored.FirstStart, first.FirstStart);
    EXPECT_EQ(stored.LastExit, first.LastExit);
}

// The registry is process-wide and loads once per process, so this run happens in a child
// process of its own (gtest re-runs this test there).
TEST_F(Application, RunCountStaysAtItsMaximum) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString folder = Home.path() + "/cfg/Ornwick/Velloria";
    const QString file = folder + "/framework_tests.ini";
    TLxSessionInfo stored{1.0, 2.0, 3.0, std::numeric_limits<qint32>::max()};
    const QByteArray hex =
        QByteArray(reinterpret_cast<const char*>(&stored), sizeof stored).toHex();
    QDir().mkpath(folder);
    WriteWhole(file, "[Velloria]\r\nSessionInfo=" + hex + "\r\n");
    EXPECT_EXIT(
        {
            TestApp app;
            app.Parameters = QStringList{};
            app.Initialize();
            app.Finalize();
            const bool saved = ReadWhole(file).contains(hex.right(8).toUpper() + "\r\n");
            std::fprintf(stderr, "RunCount %d FirstStart %s, %s\n", app.SessionInfo.RunCount,
                         app.SessionInfo.FirstStart == 1.0 ? "kept" : "lost",
                         saved ? "saved" : "not saved");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "RunCount 2147483647 FirstStart kept, saved");
}

TEST_F(Application, NoConfigIsSetFromTheCommandLine) {
    TestApp app;
    app.Parameters = QStringList{"/NC"};
    app.ParseCommandLine();
    EXPECT_TRUE(app.NoConfig);
}
