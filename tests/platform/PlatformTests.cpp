#include "DateTime.h"
#include "Exception.h"
#include "ProgramFile.h"
#include "UserFolders.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

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

TEST(UserFolders, XdgVariablesWinAndFoldersAreCreated) {
    QTemporaryDir dir;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/deep/config/").toUtf8());
    EXPECT_EQ(UserConfigFolder(), dir.path() + "/deep/config");
    EXPECT_TRUE(QFileInfo(dir.path() + "/deep/config").isDir());
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_FALSE(UserConfigFolder().contains("relative/ignored"));
    qputenv("XDG_CONFIG_HOME", oldConfig);
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
