#include "DateTime.h"
#include "Exception.h"
#include "ProgramFile.h"
#include "UserFolders.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
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
