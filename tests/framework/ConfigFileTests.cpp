#include "ConfigTestSupport.h"
#include "Exception.h"
#include "LxConfigFiles.h"

#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // Works as root too: the file name is taken by a folder after opening, so the rename cannot
    // succeed.
    TLxConfigFile file(Path, false);
    file.WriteString("S", "A", "1");
    QDir().mkpath(Path);
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

// Something at the file's path that cannot be read is refused, naming the file and the reason:
// taken as empty, the next save would replace every setting and foreign section with defaults.
TEST_F(ConfigFile, UnreadableFileIsRefusedNamingFileAndReason) {
    struct Case {
        const char* Kind;
        std::function<void(const QString&)> Make;
        const char* ClassName;
        QString Message; // after the file name
    };
    const auto link = [](const char* target) {
        return [target](const QString& path) { ASSERT_TRUE(QFile::link(target, path)); };
    };
    const Case cases[] = {
        {"folder", [](const QString& path) { QDir().mkpath(path); }, "EFOpenError",
         "\". It is a folder, not a file."},
        {"link loop", link("velloria.ini"), "EFOpenError",
         "\". " + QString::fromLocal8Bit(std::strerror(ELOOP))},
        // The kernel refuses to read this file at its start: a real read error, also for root.
        {"read error", link("/proc/self/mem"), "EReadError",
         "\". " + QString::fromLocal8Bit(std::strerror(EIO))},
    };
    for (const Case& c : cases) {
        const QString path = Dir.path() + "/" + c.Kind + "/velloria.ini";
        QDir().mkpath(Dir.path() + "/" + c.Kind);
        c.Make(path);
        try {
            TLxConfigFile file(path, false);
            ADD_FAILURE() << c.Kind << " opened";
        } catch (const Exception& error) {
            EXPECT_EQ(error.ClassName().toStdString(), c.ClassName) << c.Kind;
            EXPECT_TRUE(error.Message().endsWith(path + c.Message)) << error.what();
        }
    }
}

TEST_F(ConfigFile, FifoIsRefusedWithoutWaitingForAWriter) {
    QDir().mkpath(Dir.path() + "/sub");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path).constData(), 0600), 0);
    auto opening = std::async(std::launch::async, [this] {
        try {
            TLxConfigFile file(Path, false);
            return std::string("opened");
        } catch (const Exception& error) {
            return error.Message().toStdString();
        }
    });
    if (opening.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "opening a FIFO waits for a writer";
        // Be that writer, so that the test ends.
        ::close(::open(QFile::encodeName(Path).constData(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_EQ(opening.get(),
              "Cannot open file \"" + Path.toStdString() + "\". It is not a regular file.");
}

TEST_F(ConfigFile, FileThisUserMayNotReadIsRefused) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may read a file of mode 000; the folder, link-loop, read-error and "
                        "FIFO cases show the refusal";
    Store(CrLf({"[S]", "A=1"}));
    ::chmod(QFile::encodeName(Path).constData(), 0);
    try {
        TLxConfigFile file(Path, false);
        ADD_FAILURE() << "opened";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), "Cannot open file \"" + Path + "\". " +
                                       QString::fromLocal8Bit(std::strerror(EACCES)));
    }
}

// A save killed half-way leaves its temporary beside the file it was replacing (the target of a
// link, when the file is one); opening the file for writing clears it away, a read-only opening
// changes nothing.
TEST_F(ConfigFile, OpeningRemovesTemporariesOfKilledSaves) {
    QDir().mkpath(Dir.path() + "/sub");
    QDir().mkpath(Dir.path() + "/dotfiles");
    WriteWhole(Dir.path() + "/dotfiles/velloria.ini", CrLf({"[S]", "A=1"}));
    ASSERT_TRUE(QFile::link("../dotfiles/velloria.ini", Path));
    const QString stale = Dir.path() + "/dotfiles/.velloria-AbCd1234.tmp";
    WriteWhole(stale, "[S]\r\nA=");
    { TLxConfigFile readOnly(Path, true); }
    EXPECT_TRUE(QFileInfo::exists(stale));
    TLxConfigFile file(Path, false);
    EXPECT_FALSE(QFileInfo::exists(stale));
    file.WriteInteger("S", "A", 2);
    file.UpdateFile();
    EXPECT_TRUE(QFileInfo(Path).isSymLink());
    EXPECT_TRUE(ReadWhole(Dir.path() + "/dotfiles/velloria.ini").contains("A=2\r\n"));
}
