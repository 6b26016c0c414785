#include "ConfigTestSupport.h"
#include "Exception.h"
#include "LxConfigFiles.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {
class ConfigFile : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path = Dir.path() + "/sub/velloria.ini";

    void Store(const QByteArray& bytes) {
        QDir().mkpath(Dir.path() + "/sub");
        WriteWhole(Path, bytes);
    }
};
} // namespace

TEST_F(ConfigFile, NewFileGetsOnlyTheHeaderWhenTheFirstHandleGoes) {
    TLxConfigFile file(Path, false);
    EXPECT_EQ(file.SchemaVersion(), 0);
    file.GetSection("Velloria");
    EXPECT_EQ(ReadWhole(Path), CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", ""}));
    EXPECT_EQ(file.SchemaVersion(), 1);
    EXPECT_FALSE(file.Modified());
}

TEST_F(ConfigFile, ReadingRulesAndRewriteDropCommentsAndSpacing) {
    Store("stray=line\n; comment\r\n[ Main ]\r  Key  =  some value  \n\nnameless line\r\n"
          "[window]\nLeft=1\n[Window]\nLeft=2\n");
    TLxConfigFile file(Path, false);
    EXPECT_EQ(file.ReadString("MAIN", "key", "?"), "some value");
    EXPECT_EQ(file.ReadInteger("Window", "LEFT", 0), 2);
    QStringList keys;
    file.ReadSection("Main", keys);
    EXPECT_EQ(keys, (QStringList{"Key", ""}));
    file.WriteInteger("WINDOW", "left", 3);
    file.UpdateFile();
    EXPECT_EQ(ReadWhole(Path),
              CrLf({"[Main]", "Key=some value", "nameless line", "", "[window]", "Left=1", "",
                    "[Window]", "left=3", "", "[LXS:CONFIG:HEADER]", "SchemaVersion=1", ""}));
}

TEST_F(ConfigFile, DuplicateEntriesAreKeptAndTheLastWins) {
    Store(CrLf({"[S]", "A=1", "a=2", "B=x"}));
    TLxConfigFile file(Path, false);
    EXPECT_EQ(file.ReadInteger("s", "A", 0), 2);
    file.DeleteKey("S", "A");
    EXPECT_EQ(file.ReadInteger("S", "A", 0), 1);
}

TEST_F(ConfigFile, SchemaHeaderRules) {
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=2"}));
    try {
        TLxConfigFile file(Path, false);
        FAIL() << "version 2 opened";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Unsupported schema version: 2");
    }
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=-5"}));
    EXPECT_EQ(TLxConfigFile(Path, false).SchemaVersion(), 0);
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=$1"}));
    EXPECT_EQ(TLxConfigFile(Path, false).SchemaVersion(), 1);
}

TEST_F(ConfigFile, BooleansDependOnTheSchema) {
    Store(CrLf({"[S]", "T=True", "Y=yes", "F=false", "Two=2", "Q=\"1\""}));
    TLxConfigFile old(Path, false);
    EXPECT_TRUE(old.ReadBool("S", "T", false));
    EXPECT_FALSE(old.ReadBool("S", "F", true));
    EXPECT_TRUE(old.ReadBool("S", "Y", true));
    EXPECT_FALSE(old.ReadBool("S", "Y", false));
    EXPECT_FALSE(old.ReadBool("S", "Q", false)); // quoted form not decoded in schema 0
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[S]", "T=True", "Two=2", "Z=0"}));
    TLxConfigFile current(Path, false);
    EXPECT_FALSE(current.ReadBool("S", "T", false));
    EXPECT_TRUE(current.ReadBool("S", "T", true));
    EXPECT_TRUE(current.ReadBool("S", "Two", false));
    EXPECT_FALSE(current.ReadBool("S", "Z", true));
}

TEST_F(ConfigFile, TextsAndDatesThroughTheFile) {
    TLxConfigFile file(Path, false);
    file.WriteString("S", "Empty", "");
    file.WriteString("S", "Space", " x");
    file.WriteDateTime("S", "Zero", 0.0);
    EXPECT_EQ(file.ReadString("S", "Empty", "default"), "");
    EXPECT_EQ(file.ReadString("S", "Space", ""), " x");
    EXPECT_EQ(file.ReadString("S", "Missing", "default"), "default");
    EXPECT_EQ(file.ReadDateTime("S", "Zero", 7.0), 7.0);
    EXPECT_TRUE(file.ValueExists("S", "Zero"));
    file.UpdateFile();
    EXPECT_TRUE(ReadWhole(Path).contains("Empty=\"\"\r\nSpace=\" x\"\r\nZero=\r\n"));
}

TEST_F(ConfigFile, StringListsDeleteTheTailUpToTheFirstGap) {
    Store(CrLf({"[S]", "Recent0=a", "Recent1=b", "Recent2=c", "Recent4=e", "Recent5=f"}));
    TLxConfigFile file(Path, false);
    file.WriteStrings("S", {"x", ""}, "Recent");
    QStringList keys;
    file.ReadSection("S", keys);
    EXPECT_EQ(keys, (QStringList{"Recent0", "Recent1", "Recent4", "Recent5", "Recentcount"}));
    QStringList list;
    file.ReadStrings("S", list, "Recent", false);
    EXPECT_EQ(list, (QStringList{"x", ""}));
    file.ReadStrings("S", list, "Recent", true);
    EXPECT_EQ(list, QStringList{"x"});
    file.WriteInteger("S", "Recentcount", -3);
    file.ReadStrings("S", list, "Recent", false);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(ConfigFile, ReadOnlyIgnoresChangesAndNeverWrites) {
    TLxConfigFile file(Path, true);
    file.WriteString("S", "A", "1");
    file.EraseSection("S");
    file.WriteStrings("S", {"a"}, "P");
    EXPECT_FALSE(file.ValueExists("S", "A"));
    file.UpdateFile();
    { auto handle = file.GetSection("S"); }
    EXPECT_FALSE(QFileInfo::exists(Path));
    EXPECT_EQ(file.SchemaVersion(), 0);
}

TEST_F(ConfigFile, FirstChangeReloadsWhatAnotherProcessWrote) {
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[S]", "Mine=1"}));
    TLxConfigFile file(Path, false);
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[S]", "Theirs=2"}));
    TouchLater(Path, 5);
    EXPECT_EQ(file.ReadInteger("S", "Theirs", 0), 0); // reads never touch the disk
    file.WriteInteger("S", "New", 3);
    EXPECT_EQ(file.ReadInteger("S", "Theirs", 0), 2);
    EXPECT_FALSE(file.ValueExists("S", "Mine"));
    // Once dirty, further changes do not reload.
    Store(CrLf({"[S]", "Other=9"}));
    TouchLater(Path, 10);
    file.WriteInteger("S", "More", 4);
    EXPECT_EQ(file.ReadInteger("S", "Theirs", 0), 2);
}

TEST_F(ConfigFile, ReloadOfANewerSchemaRefusesTheChange) {
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1"}));
    TLxConfigFile file(Path, false);
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=2", "[S]", "X=1"}));
    TouchLater(Path, 5);
    EXPECT_THROW(file.WriteInteger("S", "Y", 1), Exception);
    EXPECT_EQ(file.SchemaVersion(), 1);
    EXPECT_TRUE(file.ValueExists("S", "X"));
    EXPECT_FALSE(file.ValueExists("S", "Y"));
    EXPECT_FALSE(file.Modified());
}

TEST_F(ConfigFile, HandlesAreCountedAndTheLastReleaseSaves) {
    TLxConfigFile file(Path, false);
    auto first = file.GetSection("A");
    {
        auto second = first->Section("B");
        auto copy = second;
        EXPECT_EQ(file.SectionRefs(), 2);
        second->WriteString("K", "v");
    }
    EXPECT_EQ(file.SectionRefs(), 1);
    EXPECT_FALSE(QFileInfo::exists(Path));
    first.Release();
    EXPECT_EQ(file.SectionRefs(), 0);
    EXPECT_TRUE(ReadWhole(Path).contains("[B]\r\nK=v\r\n"));
}

TEST_F(ConfigFile, UncreatableFolderIsReportedAndTheFileStaysDirty) {
    WriteWhole(Dir.path() + "/blocker", "a file where a folder should be");
    TLxConfigFile file(Dir.path() + "/blocker/sub/velloria.ini", false);
    file.WriteString("S", "A", "1");
    try {
        file.UpdateFile();
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "Unable to create configuration folder: " + Dir.path() + "/blocker/sub/");
    }
    EXPECT_TRUE(file.Modified());
}

TEST_F(ConfigFile, FailedWriteKeepsTheOldFileAndStaysDirty) {
    // A file-size limit makes the write fail half-way, as a full disk would (root included).
    Store(CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", "[S]", "A=old"}));
    const QByteArray before = ReadWhole(Path);
    TLxConfigFile file(Path, false);
    file.WriteString("S", "A", QString(4096, 'n'));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    file.UpdateFile();
    const std::string error = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(file.Modified());
    EXPECT_EQ(ReadWhole(Path), before);
    EXPECT_NE(error.find(Path.toStdString()), std::string::npos) << error;
    EXPECT_EQ(QDir(Dir.path() + "/sub").entryList(QDir::Files), QStringList{"velloria.ini"});
    file.UpdateFile();
    EXPECT_FALSE(file.Modified());
    EXPECT_TRUE(ReadWhole(Path).contains("A=nnnn"));
}

TEST_F(ConfigFile, SaveFailureThroughAFolderInPlaceOfTheFile) {
    // Works as root too: the file name is taken by a folder, so the rename cannot succeed.
    QDir().mkpath(Path);
    TLxConfigFile file(Path, false);
    file.WriteString("S", "A", "1");
    testing::internal::CaptureStderr();
    file.UpdateFile();
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(file.Modified());
    EXPECT_NE(error.find(Path.toStdString()), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
}

TEST_F(ConfigFile, DamagedFilesNeverCrash) {
    QByteArray garbage;
    for (int i = 0; i < 100000; ++i)
        garbage += char((i * 7919) % 256);
    const QByteArray longLine = "[S]\nLong=" + QByteArray(2 * 1024 * 1024, 'x') + "\nAfter=1\n";
    const QByteArray cases[] = {
        garbage,
        QByteArray("[S]\nA=1\n\0[T]\nB=2\n", 18),
        longLine,
        QByteArray("[S]\nName=caf\xc3\xa9 \xff\xfe bad\n"),
        QByteArray("[S]\nQ=\"%\"\nR=\"%Z\"\n"),
    };
    for (const QByteArray& bytes : cases) {
        Store(bytes);
        TLxConfigFile file(Path, false);
        file.WriteString("S", "New", "value");
        file.UpdateFile();
        EXPECT_TRUE(TLxConfigFile(Path, false).ValueExists("S", "New"));
    }
    Store(QByteArray("[S]\nA=1\n\0[T]\nB=2\n", 18));
    EXPECT_FALSE(TLxConfigFile(Path, false).ValueExists("T", "B"));
    Store(longLine);
    TLxConfigFile big(Path, false);
    EXPECT_EQ(big.ReadString("S", "Long", "").size(), 2 * 1024 * 1024);
    EXPECT_EQ(big.ReadInteger("S", "After", 0), 1);
}

TEST_F(ConfigFile, FiftyMegabyteFileLoadsAndSaves) {
    QByteArray text = "[LXS:CONFIG:HEADER]\r\nSchemaVersion=1\r\n[Bulk]\r\n";
    const QByteArray line = "Key=" + QByteArray(96, 'v') + "\r\n";
    while (text.size() < 50 * 1024 * 1024)
        text += line;
    text += "[Velloria]\r\nThumb-Size=150\r\n";
    Store(text);
    TLxConfigFile file(Path, false);
    EXPECT_EQ(file.ReadInteger("Velloria", "Thumb-Size", 100), 150);
    file.WriteInteger("Velloria", "Thumb-Size", 120);
    file.UpdateFile();
    EXPECT_EQ(TLxConfigFile(Path, false).ReadInteger("Velloria", "Thumb-Size", 0), 120);
}
