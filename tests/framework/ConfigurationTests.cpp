#include "ConfigTestSupport.h"
#include "LXApps.h"
#include "LxConfiguration.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
// A registry over a temporary configuration home, with the product's settings bound to fields.
class Registry : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QByteArray SavedConfigHome = qgetenv("XDG_CONFIG_HOME");
    std::unique_ptr<TLXConfiguration> Config;
    TLxSessionInfo Session{};
    QString LastFolder;
    qint32 ThumbSize = 100;
    qint32 ThumbPadding = 4;
    bool ExitCleanup = false;

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
        Config = std::make_unique<TLXConfiguration>();
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", SavedConfigHome); }

    QString Folder() const { return Home.path() + "/Ornwick/Velloria/"; }

    void RegisterProductSettings() {
        Config->SetAppName("Velloria");
        Config->Items.Add(MakeBinaryConfig("SessionInfo", &Session, sizeof Session));
        Config->Items.Add(MakeStringConfig("LastFolder", &LastFolder));
        Config->Items.Add(MakeIntConfig("Thumb-Size", &ThumbSize));
        Config->Items.Add(MakeIntConfig("Thumb-Padding", &ThumbPadding));
        Config->Items.Add(MakeBoolConfig("Exit-Cleanup", &ExitCleanup));
    }

    void Store(const QByteArray& bytes) {
        QDir().mkpath(Folder());
        WriteWhole(Config->FileName, bytes);
    }
};
} // namespace

TEST_F(Registry, FileNameFollowsTheApplicationName) {
    EXPECT_EQ(Config->DefaultSection, "MAIN");
    EXPECT_EQ(Config->FileName, Home.path() + "/Ornwick/framework_tests.ini");
    Config->SetAppName("Velloria");
    EXPECT_EQ(Config->DefaultSection, "Velloria");
    EXPECT_EQ(Config->FileName, Folder() + "framework_tests.ini");
}

TEST_F(Registry, FileNameCallbackWins) {
    Config->OnGetFileName = [&](TLXConfiguration&, QString& name) {
        name = Home.path() + "/x.ini";
    };
    Config->SetAppName("Velloria");
    EXPECT_EQ(Config->FileName, Home.path() + "/x.ini");
}

TEST_F(Registry, RenamingIsRefusedOnceOpen) {
    Config->SetAppName("Velloria");
    Config->Load();
    EXPECT_NO_THROW(Config->SetAppName("Velloria"));
    try {
        Config->SetAppName("Other");
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Configuration file already open");
    }
    EXPECT_EQ(Config->AppName, "Velloria");
}

TEST_F(Registry, NoFileNameIsAnError) {
    Config->FileName.clear();
    try {
        Config->ConfigFile();
        FAIL();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "No configuration file specified");
    }
}

TEST_F(Registry, FirstLoadKeepsDefaultsAndWritesOnlyTheHeader) {
    RegisterProductSettings();
    Config->Load();
    EXPECT_EQ(ThumbSize, 100);
    EXPECT_EQ(ThumbPadding, 4);
    EXPECT_FALSE(ExitCleanup);
    EXPECT_EQ(ReadWhole(Config->FileName), CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", ""}));
}

TEST_F(Registry, WorkedExampleByteForByte) {
    RegisterProductSettings();
    Config->Load();
    {
        ILxConfigSectionPtr window = Config->GetSection("Window");
        window->WriteInteger("Left", 120);
        window->WriteInteger("Top", 80);
        window->WriteInteger("Width", 800);
        window->WriteInteger("Height", 600);
        window->WriteInteger("State", 0);
    }
    LastFolder = "/home/me/Photos/Summer 2026";
    Session = {1.5, 2.25, -3.0, 0x01020304};
    Config->Save();
    EXPECT_EQ(ReadWhole(Config->FileName),
              CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "", "[Window]", "Left=120", "Top=80",
                    "Width=800", "Height=600", "State=0", "", "[Velloria]",
                    "SessionInfo=000000000000F83F000000000000024000000000000008C004030201",
                    "LastFolder=\"/home/me/Photos/Summer 2026\"", "Thumb-Size=100",
                    "Thumb-Padding=4", "Exit-Cleanup=0", ""}));
}

TEST_F(Registry, PartialAndUnreadableEntriesKeepDefaults) {
    RegisterProductSettings();
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[Velloria]", "thumb-size=150",
                "Thumb-Padding=abc", "Exit-Cleanup=", "SessionInfo=0011"}));
    const TLxSessionInfo before = Session;
    Config->Load();
    EXPECT_EQ(ThumbSize, 150);
    EXPECT_EQ(ThumbPadding, 4);
    EXPECT_FALSE(ExitCleanup);
    EXPECT_EQ(std::memcmp(&before, &Session, sizeof Session), 0);
    Config->Save();
    EXPECT_TRUE(ReadWhole(Config->FileName).contains("Thumb-Size=150\r\n"));
    EXPECT_FALSE(ReadWhole(Config->FileName).contains("thumb-size"));
}

TEST_F(Registry, SessionRecordNeedsExactlyFiftySixHexDigits) {
    RegisterProductSettings();
    const QByteArray good(56, 'A');
    for (const QByteArray& stored :
         {QByteArray(54, 'A'), QByteArray(58, 'A'), good.left(55) + "G"}) {
        Store("[Velloria]\r\nSessionInfo=" + stored + "\r\n");
        Session = {};
        TLXConfiguration fresh;
        fresh.SetAppName("Velloria");
        fresh.Items.Add(MakeBinaryConfig("SessionInfo", &Session, sizeof Session));
        fresh.Load();
        EXPECT_EQ(Session.RunCount, 0) << stored.constData();
    }
    Store("[Velloria]\r\nSessionInfo=" + good + "\r\n");
    Config->Load();
    EXPECT_EQ(Session.RunCount, qint32(0xAAAAAAAA));
}

TEST_F(Registry, OldFileBooleanIsRewrittenAfterTheHeaderIsAdded) {
    RegisterProductSettings();
    Store(CrLf({"[Velloria]", "Exit-Cleanup=True"}));
    Config->Load();
    EXPECT_TRUE(ExitCleanup);
    EXPECT_TRUE(ReadWhole(Config->FileName).contains("[LXS:CONFIG:HEADER]\r\nSchemaVersion=1"));
    EXPECT_TRUE(ReadWhole(Config->FileName).contains("Exit-Cleanup=True"));
    Config->Save();
    EXPECT_TRUE(ReadWhole(Config->FileName).contains("Exit-Cleanup=1"));
}

TEST_F(Registry, MalformedQuotedTextStopsTheLoadButReleasesTheHandle) {
    RegisterProductSettings();
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[Velloria]", "LastFolder=\"a%4\"",
                "Thumb-Size=150"}));
    EXPECT_THROW(Config->Load(), Exception);
    EXPECT_EQ(ThumbSize, 100);
    EXPECT_EQ(Config->ConfigFile().SectionRefs(), 0);
}

// The unreadable file stays as it was: neither loading nor the save at exit replaces it.
TEST_F(Registry, UnreadableFileIsNeverOverwritten) {
    RegisterProductSettings();
    QDir().mkpath(Folder());
    ASSERT_TRUE(QFile::link("/proc/self/mem", Config->FileName));
    EXPECT_THROW(Config->Load(), EReadError);
    EXPECT_FALSE(Config->IsOpen());
    EXPECT_THROW(Config->Save(), EReadError);
    EXPECT_EQ(QFileInfo(Config->FileName).symLinkTarget(), "/proc/self/mem");
    EXPECT_EQ(QDir(Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"framework_tests.ini"});
}

// One damaged value stops the start: the report says where it is and how to start anyway.
TEST_F(Registry, MalformedQuotedTextNamesTheFileTheKeyAndTheWayOut) {
    RegisterProductSettings();
    struct Case {
        const char* Stored;
        const char* ClassName;
        const char* Text;
    };
    const Case cases[] = {
        {"\"%zz\"", "EConvertError", "'$zz' is not a valid integer value"},
        {"\"a%4\"", "Exception", "Badly formed quoted string"},
    };
    for (const Case& c : cases) {
        Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[Velloria]",
                    (QByteArray("LastFolder=") + c.Stored).constData()}));
        TLXConfiguration fresh;
        fresh.SetAppName("Velloria");
        fresh.Items.Add(MakeStringConfig("LastFolder", &LastFolder));
        try {
            fresh.Load();
            ADD_FAILURE() << c.Stored << " loaded";
        } catch (const Exception& error) {
            EXPECT_EQ(error.ClassName().toStdString(), c.ClassName);
            EXPECT_TRUE(error.Message().startsWith(c.Text)) << error.what();
            EXPECT_TRUE(error.Message().contains(fresh.FileName)) << error.what();
            EXPECT_TRUE(error.Message().contains("LastFolder")) << error.what();
            EXPECT_TRUE(error.Message().contains("-noconfig")) << error.what();
        }
    }
}

TEST_F(Registry, UnsupportedSchemaKeepsNoFileOpen) {
    RegisterProductSettings();
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=2"}));
    EXPECT_THROW(Config->Load(), Exception);
    EXPECT_FALSE(Config->IsOpen());
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1"}));
    EXPECT_NO_THROW(Config->Load());
}

TEST_F(Registry, CallbacksRunAroundLoadAndSave) {
    RegisterProductSettings();
    QStringList calls;
    Config->OnAfterLoad = [&](TLXConfiguration&) { calls << "after-load"; };
    Config->OnBeforeSave = [&](TLXConfiguration&) { calls << "before-save"; };
    Config->Load();
    Config->Save();
    EXPECT_EQ(calls, (QStringList{"after-load", "before-save"}));
}

// With no home folder the registry has nowhere to keep its file: the error says what is missing
// rather than putting the file under "/".
TEST(RegistryWithoutHome, RefusesAndNamesWhatIsMissing) {
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", "");
    try {
        TLXConfiguration config;
        ADD_FAILURE() << "file name " << config.FileName.toStdString();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message().toStdString(),
                  "No home folder: HOME is not set to an absolute path and "
                  "neither is XDG_CONFIG_HOME");
    }
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

// Absurd and boundary values in a hand-edited file, each loaded by a fresh registry into
// settings held to the thumbnail ranges; an item without a range takes the value as stored.
TEST_F(Registry, RangedWholeNumbersLoadHeldToTheirLimits) {
    struct Case {
        const char* Stored;
        qint32 Size;
        qint32 Padding;
    };
    const Case cases[] = {{"-100", 60, 0},
                          {"2147483647", 200, 40},
                          {"1000000000", 200, 40},
                          {"59", 60, 40},
                          {"60", 60, 40},
                          {"200", 200, 40},
                          {"201", 200, 40},
                          {"40", 60, 40},
                          {"41", 60, 40},
                          {"-1", 60, 0},
                          {"0", 60, 0},
                          {"120", 120, 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Stored);
        Config = std::make_unique<TLXConfiguration>();
        Config->SetAppName("Velloria");
        qint32 unranged = 0;
        ThumbSize = 100;
        ThumbPadding = 4;
        Config->Items.Add(MakeIntConfig("Thumb-Size", &ThumbSize, 60, 200));
        Config->Items.Add(MakeIntConfig("Thumb-Padding", &ThumbPadding, 0, 40));
        Config->Items.Add(MakeIntConfig("Other", &unranged));
        Store(QByteArray("[LXS:CONFIG:HEADER]\r\nSchemaVersion=1\r\n[Velloria]\r\nThumb-Size=") +
              c.Stored + "\r\nThumb-Padding=" + c.Stored + "\r\nOther=" + c.Stored + "\r\n");
        Config->Load();
        EXPECT_EQ(ThumbSize, c.Size);
        EXPECT_EQ(ThumbPadding, c.Padding);
        EXPECT_EQ(unranged, QByteArray(c.Stored).toInt());
    }
}
