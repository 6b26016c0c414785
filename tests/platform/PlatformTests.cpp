#include "AtomicFile.h"
#include "DateTime.h"
#include "Exception.h"
#include "Help.h"
#include "ProgramFile.h"
#include "SystemSounds.h"
#include "UserFolders.h"

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

TEST(Assertion, NamesUnitAndLine) {
    try {
        LX_ASSERT(1 + 1 == 3);
        FAIL() << "no exception";
    } catch (const EAssertionFailed& error) {
        EXPECT_EQ(error.ClassName(), "EAssertionFailed");
        EXPECT_EQ(error.Message(),
                  QStringLiteral("Assertion failure (PlatformTests, line %1)").arg(__LINE__ - 5));
    }
    try {
        LX_ASSERT_MSG(false, QStringLiteral("TLxBaseApplication instance already exists"));
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_TRUE(error.Message().startsWith(
            "TLxBaseApplication instance already exists (PlatformTests"));
    }
}

TEST(DateTime, EpochAndFractionRoundTrip) {
    EXPECT_DOUBLE_EQ(QDateTimeToDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_DOUBLE_EQ(QDateTimeToDateTime(QDateTime(QDate(1900, 1, 1), QTime(18, 0))), 2.75);
    const QDateTime when(QDate(2026, 12, 7), QTime(10, 5, 9));
    QDate date;
    QTime time;
    DecodeDateTime(QDateTimeToDateTime(when), date, time);
    EXPECT_EQ(QDateTime(date, time), when);
    // A fraction that rounds up to a whole day carries into the next date.
    DecodeDateTime(2.9999999999, date, time);
    EXPECT_EQ(date, QDate(1900, 1, 2));
    EXPECT_EQ(time, QTime(0, 0));
    TDateTime encoded = 0;
    ASSERT_TRUE(TryEncodeDateTime(2026, 12, 7, 10, 5, 9, encoded));
    EXPECT_DOUBLE_EQ(encoded, QDateTimeToDateTime(when));
    EXPECT_FALSE(TryEncodeDateTime(2026, 2, 30, 0, 0, 0, encoded));
    EXPECT_FALSE(TryEncodeDateTime(2026, 1, 1, 24, 0, 0, encoded));
    EXPECT_FALSE(TryEncodeDateTime(0, 1, 1, 0, 0, 0, encoded));
}

TEST(FileNames, ExtensionsOnlyAfterLastDelimiter) {
    EXPECT_EQ(ChangeFileExt("/usr/bin/velloria", ".ini"), "/usr/bin/velloria.ini");
    EXPECT_EQ(ChangeFileExt("/opt/v.1/prog", ".ini"), "/opt/v.1/prog.ini");
    EXPECT_EQ(ChangeFileExt("/opt/prog.exe", ".ini"), "/opt/prog.ini");
    EXPECT_EQ(ExtractFileExt("/a.b/README"), "");
    EXPECT_EQ(ExtractFileExt("/a/photo.JPG"), ".JPG");
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
}

TEST(FileNames, ExpandedNamesAreAbsoluteAndCleanWithLinksKept) {
    QTemporaryDir dir;
    const QString root = dir.path();
    ASSERT_TRUE(QDir(root).mkpath("real/inner"));
    ASSERT_TRUE(QFile::link(root + "/real", root + "/link"));
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root + "/real"));
    const struct {
        QString Name;
        QString Expanded;
    } cases[] = {
        {"photo.jpg", root + "/real/photo.jpg"},
        {"./inner/../photo.jpg", root + "/real/photo.jpg"},
        {"inner/", root + "/real/inner"},
        {root + "//link/./inner//x.bmp", root + "/link/inner/x.bmp"},
        {root + "/link/..", root},
        {"/", "/"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(ExpandFileName(test.Name), test.Expanded) << test.Name.toStdString();
    QDir::setCurrent(current);
}

namespace {
// Sets or unsets environment variables for one scope and restores them afterwards.
class EnvironmentScope {
public:
    void Set(const char* name, const std::optional<QByteArray>& value) {
        FSaved.push_back({name, qEnvironmentVariableIsSet(name)
                                    ? std::optional<QByteArray>(qgetenv(name))
                                    : std::nullopt});
        Apply(name, value);
    }
    ~EnvironmentScope() {
        for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it)
            Apply(it->first, it->second);
    }

private:
    static void Apply(const char* name, const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> FSaved;
};
} // namespace

TEST(UserFolders, XdgVariablesWinAndFoldersAreCreated) {
    QTemporaryDir dir;
    EnvironmentScope environment;
    environment.Set("XDG_CONFIG_HOME", (dir.path() + "/deep/config/").toUtf8());
    environment.Set("HOME", QByteArray());
    EXPECT_EQ(UserConfigFolder(), dir.path() + "/deep/config");
    EXPECT_TRUE(QFileInfo(dir.path() + "/deep/config").isDir());
}

// Without an absolute XDG variable the folders come from HOME; without a usable HOME either there
// is no place for them, and the error names what is missing instead of using "/".
TEST(UserFolders, HomeIsNeededWhenTheXdgVariableIsMissingOrRelative) {
    QTemporaryDir dir;
    // Relative paths would land in the current folder: make that one we can look into.
    const QString savedCurrent = QDir::currentPath();
    QDir::setCurrent(dir.path());
    struct Case {
        const char* Variable;
        QString (*Folder)();
        std::optional<QByteArray> Xdg;
        std::optional<QByteArray> Home;
        QString Expected; // empty: refused
    };
    const QByteArray home = dir.path().toUtf8();
    const Case cases[] = {
        {"XDG_CONFIG_HOME", UserConfigFolder, std::nullopt, home, dir.path() + "/.config"},
        {"XDG_CONFIG_HOME", UserConfigFolder, "relative/cfg", home, dir.path() + "/.config"},
        {"XDG_CONFIG_HOME", UserConfigFolder, "", home, dir.path() + "/.config"},
        {"XDG_DATA_HOME", UserDataFolder, std::nullopt, home, dir.path() + "/.local/share"},
        {"XDG_DATA_HOME", UserDataFolder, "relative/data", home + "/",
         dir.path() + "/.local/share"},
        {"XDG_CONFIG_HOME", UserConfigFolder, std::nullopt, QByteArray(), {}},
        {"XDG_CONFIG_HOME", UserConfigFolder, "relative/cfg", std::nullopt, {}},
        {"XDG_DATA_HOME", UserDataFolder, std::nullopt, std::nullopt, {}},
        {"XDG_DATA_HOME", UserDataFolder, "", QByteArray(), {}},
        {"XDG_DATA_HOME", UserDataFolder, std::nullopt, "relative/home", {}},
    };
    for (const Case& c : cases) {
        const std::string label = std::string(c.Variable) + "=" +
                                  (c.Xdg ? c.Xdg->constData() : "(unset)") +
                                  " HOME=" + (c.Home ? c.Home->constData() : "(unset)");
        EnvironmentScope environment;
        environment.Set(c.Variable, c.Xdg);
        environment.Set("HOME", c.Home);
        if (!c.Expected.isEmpty()) {
            EXPECT_EQ(c.Folder(), c.Expected) << label;
            continue;
        }
        try {
            const QString folder = c.Folder();
            ADD_FAILURE() << label << " gave " << folder.toStdString();
        } catch (const Exception& error) {
            EXPECT_TRUE(error.Message().contains("HOME")) << label;
            EXPECT_TRUE(error.Message().contains(c.Variable)) << error.what();
        }
    }
    QDir::setCurrent(savedCurrent);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/relative"));
}

TEST(UserFolders, ForceDirectoriesFailsUnderAFile) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/plain");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(ForceDirectories(dir.path() + "/plain/sub"));
    EXPECT_TRUE(ForceDirectories(dir.path() + "/a/b/c"));
    EXPECT_TRUE(ForceDirectories(dir.path() + "/a/b/c"));
}

namespace {
mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QByteArray Content(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void Make(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The process umask for one scope.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : FSaved(::umask(mask)) {}
    ~UmaskScope() { ::umask(FSaved); }

private:
    mode_t FSaved;
};
} // namespace

TEST(AtomicFile, ExistingModeIsKeptAndNewFilesFollowTheUmask) {
    struct Case {
        std::optional<mode_t> Existing;
        mode_t Umask;
        mode_t Expected;
    };
    const Case cases[] = {
        {0600, 022, 0600},         {0755, 077, 0755},         {0444, 0, 0444},
        {0640, 002, 0640},         {std::nullopt, 022, 0644}, {std::nullopt, 077, 0600},
        {std::nullopt, 002, 0664}, {std::nullopt, 027, 0640},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.path() + "/settings.ini";
        if (c.Existing) {
            Make(path, "old");
            ::chmod(QFile::encodeName(path).constData(), *c.Existing);
        }
        const UmaskScope umask(c.Umask);
        QString reason;
        ASSERT_TRUE(WriteFileAtomically(path, "new", reason)) << reason.toStdString();
        EXPECT_EQ(ModeOf(path), c.Expected)
            << std::oct << "existing " << c.Existing.value_or(0) << " umask " << c.Umask;
        EXPECT_EQ(Content(path), "new");
        EXPECT_EQ(Entries(dir.path()), QStringList{"settings.ini"});
    }
}

// Links are the user's arrangement (a settings file kept with their other dot files): the save
// changes the file at the end of the links, and the links stay links.
TEST(AtomicFile, WritesThroughSymbolicLinksToTheirTarget) {
    struct Case {
        const char* Name;
        std::vector<std::pair<const char*, const char*>> Links; // name in a/ -> link text
        const char* Target;                                     // under the temporary folder
        bool TargetExists;
    };
    const Case cases[] = {
        {"absolute", {{"settings.ini", "@/b/real.ini"}}, "b/real.ini", true},
        {"relative chain",
         {{"settings.ini", "second.ini"}, {"second.ini", "../b/real.ini"}},
         "b/real.ini",
         true},
        {"dangling", {{"settings.ini", "../b/new.ini"}}, "b/new.ini", false},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/a");
        QDir().mkpath(dir.path() + "/b");
        const QString target = dir.path() + "/" + c.Target;
        if (c.TargetExists) {
            Make(target, "old");
            ::chmod(QFile::encodeName(target).constData(), 0600);
        }
        for (const auto& [name, text] : c.Links) {
            const QString linkText =
                text[0] == '@' ? dir.path() + QString(text + 1) : QString(text);
            ASSERT_TRUE(QFile::link(linkText, dir.path() + "/a/" + name));
        }
        QString reason;
        ASSERT_TRUE(WriteFileAtomically(dir.path() + "/a/settings.ini", "new", reason))
            << c.Name << ": " << reason.toStdString();
        EXPECT_EQ(Content(target), "new") << c.Name;
        EXPECT_EQ(QDir::cleanPath(FinalTarget(dir.path() + "/a/settings.ini")).toStdString(),
                  target.toStdString());
        for (const auto& [name, text] : c.Links) {
            EXPECT_TRUE(QFileInfo(dir.path() + "/a/" + name).isSymLink()) << c.Name << name;
        }
        if (c.TargetExists) {
            EXPECT_EQ(ModeOf(target), 0600u) << c.Name;
        }
        EXPECT_EQ(Entries(dir.path() + "/b"), QStringList{QFileInfo(target).fileName()}) << c.Name;
    }
}

TEST(AtomicFile, LinkLoopIsRefusedAndLeftAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link("second", dir.path() + "/first"));
    ASSERT_TRUE(QFile::link("first", dir.path() + "/second"));
    QString reason;
    EXPECT_FALSE(WriteFileAtomically(dir.path() + "/first", "new", reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(ELOOP)));
    EXPECT_TRUE(QFileInfo(dir.path() + "/first").isSymLink());
    EXPECT_EQ(Entries(dir.path()), (QStringList{"first", "second"}));
}

// Names up to the system's limit of 255 bytes can be written; the temporary's name does not
// depend on the target's.
TEST(AtomicFile, LongestLegalNamesCanBeWritten) {
    QTemporaryDir dir;
    for (const int length : {241, 248, 255}) {
        const QString path = dir.path() + "/VL%" + QString(length - 7, 'n') + ".bmp";
        QString reason;
        EXPECT_TRUE(WriteFileAtomically(path, "bmp", reason))
            << length << ": " << reason.toStdString();
        EXPECT_EQ(Content(path), "bmp") << length;
    }
    QString reason;
    EXPECT_FALSE(WriteFileAtomically(dir.path() + "/" + QString(256, 'n'), "x", reason));
    EXPECT_EQ(reason, QString::fromLocal8Bit(std::strerror(ENAMETOOLONG)));
    EXPECT_EQ(Entries(dir.path()).size(), 3);
}

namespace {
// Runs a save of 1 MB in a child process whose file-size limit stops it after 4 KB, half-way
// through writing its temporary: the limit's signal either kills the child, as a crash or a kill
// would, or (stopWriter) stops it with the temporary open, as a slow save would be.
pid_t StartInterruptedSave(const QString& path, bool stopWriter) {
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (stopWriter)
        std::signal(SIGXFSZ, [](int) { ::raise(SIGSTOP); });
    else
        std::signal(SIGXFSZ, SIG_DFL);
    rlimit small{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &small);
    QString reason;
    WriteFileAtomically(path, QByteArray(1024 * 1024, 'x'), reason);
    ::_exit(0);
}

// Kills and reaps the child unless the test did, so that a failed check leaves no process behind.
class ChildGuard {
public:
    explicit ChildGuard(pid_t pid) : FPid(pid) {}
    ~ChildGuard() {
        if (FPid > 0) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
    }
    void Reaped() { FPid = 0; }

private:
    pid_t FPid;
};

QStringList Temporaries(const QString& folder) {
    return QDir(folder).entryList({".velloria-*"}, QDir::AllEntries | QDir::Hidden | QDir::System);
}
} // namespace

TEST(AtomicFile, TemporaryOfAKilledSaveIsRemovedAndNothingElse) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/velloria.ini";
    const pid_t child = StartInterruptedSave(path, false);
    ChildGuard guard(child);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    guard.Reaped();
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    ASSERT_EQ(Temporaries(dir.path()).size(), 1);
    const QStringList others = {".velloria-ABC.tmp", ".velloria-ABCDEFG!.tmp",
                                "velloria-ABCDEFGH.tmp", ".velloria-ABCDEFGH.bak"};
    for (const QString& name : others)
        Make(dir.path() + "/" + name, "not ours");
    QDir().mkpath(dir.path() + "/.velloria-FOLDER12.tmp");
    ASSERT_TRUE(QFile::link(path, dir.path() + "/.velloria-LINK1234.tmp"));
    RemoveStaleTemporaries(dir.path());
    EXPECT_EQ(Temporaries(dir.path()),
              (QStringList{".velloria-ABC.tmp", ".velloria-ABCDEFG!.tmp", ".velloria-ABCDEFGH.bak",
                           ".velloria-FOLDER12.tmp", ".velloria-LINK1234.tmp"}));
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/velloria-ABCDEFGH.tmp"));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(AtomicFile, TemporaryOfASaveInProgressIsKeptUntilItsWriterEnds) {
    QTemporaryDir dir;
    const pid_t child = StartInterruptedSave(dir.path() + "/velloria.ini", true);
    ChildGuard guard(child);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << status;
    const QStringList during = Temporaries(dir.path());
    ASSERT_EQ(during.size(), 1);
    RemoveStaleTemporaries(dir.path());
    EXPECT_EQ(Temporaries(dir.path()), during);
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    guard.Reaped();
    RemoveStaleTemporaries(dir.path());
    EXPECT_TRUE(Temporaries(dir.path()).isEmpty());
}

// The help pages are looked for in the data folder beside the program; the browser is asked
// through Qt's URL handlers, which a test can take over.
class THelpPageCatcher : public QObject {
    Q_OBJECT
public slots:
    void Open(const QUrl& url) { Opened.append(url); }

public:
    QList<QUrl> Opened;
};

TEST(Help, OpensThePageOfTheContextOrTheContents) {
    const QString folder = ProgramDataFolder() + QStringLiteral("/help/");
    THelpPageCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    EXPECT_TRUE(ShowHelpContext(2000));
    EXPECT_TRUE(ShowHelpContext(0));
    EXPECT_TRUE(ShowHelpContext(-5));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.Opened.size(), 3);
    EXPECT_EQ(catcher.Opened[0].toLocalFile(), folder + QStringLiteral("2000.html"));
    EXPECT_EQ(catcher.Opened[1].toLocalFile(), folder + QStringLiteral("index.html"));
    EXPECT_EQ(catcher.Opened[2].toLocalFile(), folder + QStringLiteral("index.html"));
}

#include "PlatformTests.moc"

TEST(SystemSounds, AliasesNameTheFreedesktopDialogSounds) {
    const struct {
        const char* Alias;
        const char* EventId;
    } cases[] = {
        {"SystemExclamation", "dialog-warning"},
        {"SystemHand", "dialog-error"},
        {"SystemQuestion", "dialog-question"},
        {"SystemAsterisk", "dialog-information"},
        {"SystemStart", ""},
        {"systemhand", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SoundEventId(QString::fromLatin1(c.Alias)), c.EventId) << c.Alias;
    // Unknown aliases and a missing sound server are silent, never an error.
    EXPECT_NO_THROW(PlaySystemSound(QStringLiteral("SystemStart")));
    EXPECT_NO_THROW(PlaySystemSound(QStringLiteral("SystemHand")));
}
