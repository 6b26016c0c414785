// The records other wallpaper setters leave: feh's shell script, quoting and all, and
// nitrogen's key file, as they write them.
#include "DesktopExpectations.h"
#include "DesktopWallpaper.h"
#include "OtherSetters.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
struct TRecordCase {
    const char* Text;
    bool Found;
    const char* FileName;
    TLxWallpaperStyle Style;
};

void Write(const QString& fileName, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(fileName).path()));
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Makes the file look written the given number of seconds ago.
void Age(const QString& fileName, int seconds) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                                 QFileDevice::FileModificationTime));
}

// Each record parsed; a record that names nothing leaves the name and the style as they were.
void ExpectParsed(const QList<TRecordCase>& cases,
                  bool (*parse)(const QByteArray&, QString&, TLxWallpaperStyle&),
                  TLxWallpaperStyle untouchedStyle) {
    for (const TRecordCase& test : cases) {
        SCOPED_TRACE(test.Text);
        QString fileName = QStringLiteral("untouched");
        TLxWallpaperStyle style = untouchedStyle;
        EXPECT_EQ(parse(test.Text, fileName, style), test.Found);
        EXPECT_EQ(fileName,
                  test.Found ? QString::fromUtf8(test.FileName) : QStringLiteral("untouched"));
        EXPECT_EQ(style, test.Style);
    }
}
} // namespace

TEST(OtherSetters, FehScriptsGiveTheirFirstPictureAndMode) {
    const QList<TRecordCase> cases = {
        {"#!/bin/sh\nfeh --no-fehbg --bg-scale '/home/a/sea view.jpg' \n", true,
         "/home/a/sea view.jpg", wsStretched},
        {"feh --no-fehbg --bg-tile '/p/it'\\''s.png' '/p/second.png'\n", true, "/p/it's.png",
         wsTiled},
        {"/usr/bin/feh --bg-center \"/p/\\$HOME \\\"q\\\".png\"\n", true, "/p/$HOME \"q\".png",
         wsCentered},
        {"feh --bg-fill --no-xinerama /p/plain\\ name.jpg # comment\n", true, "/p/plain name.jpg",
         wsZoomed},
        {"feh --bg-max /p/fit.jpg\n", true, "/p/fit.jpg", wsScaled},
        {"feh --bg-max\n", false, "", wsTiled},
        {"# feh --bg-scale '/p/commented.jpg'\nxsetroot -solid black\n", false, "", wsTiled},
        {"", false, "", wsTiled},
    };
    ExpectParsed(cases, ParseFehbg, wsTiled);
}

TEST(OtherSetters, NitrogenRecordsGiveTheFirstSectionWithAFile) {
    const QList<TRecordCase> cases = {
        {"[xin_-1]\nfile=/p/a b.png\nmode=0\nbgcolor=#000000\n", true, "/p/a b.png", wsStretched},
        {"[xin_-1]\nfile=/p/t.png\nmode=1\n", true, "/p/t.png", wsTiled},
        {"[xin_-1]\nfile=/p/c.png\nmode=2\n", true, "/p/c.png", wsCentered},
        {"[xin_-1]\nfile=/p/z.png\nmode=5\n", true, "/p/z.png", wsZoomed},
        {"[xin_-1]\nfile=/p/f.png\nmode=3\n", true, "/p/f.png", wsScaled},
        {"[xin_-1]\nfile=/p/a.png\nmode=4\n", true, "/p/a.png", wsCentered},
        {"[xin_0]\nmode=1\n[xin_1]\nfile=/p/second.png\nmode=1\n", true, "/p/second.png", wsTiled},
        {"[xin_-1]\nfile=\nmode=1\n", false, "", wsStretched},
        {"file=/p/outside.png\n", false, "", wsStretched},
    };
    ExpectParsed(cases, ParseNitrogenSaved, wsStretched);
}

// The home folder and configuration folder point into the test's own folder (DesktopTestMain).
TEST(OtherSetters, TheSetterThatWroteLastIsBelieved) {
    const QString feh = QDir::homePath() + QStringLiteral("/.fehbg");
    const QString nitrogen =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/nitrogen/bg-saved.cfg");
    QString fileName;
    TLxWallpaperStyle style = OutOfRangeStyle;
    EXPECT_FALSE(ReadOtherSetterChoice(fileName, style));
    Write(nitrogen, "[xin_-1]\nfile=/p/nitrogen.png\nmode=1\n");
    Write(feh, "feh --bg-scale '/p/feh.png'\n");
    Age(nitrogen, 60);
    ASSERT_TRUE(ReadOtherSetterChoice(fileName, style));
    EXPECT_EQ(fileName, QStringLiteral("/p/feh.png"));
    EXPECT_EQ(style, wsStretched);
    Age(feh, 120);
    ASSERT_TRUE(ReadOtherSetterChoice(fileName, style));
    EXPECT_EQ(fileName, QStringLiteral("/p/nitrogen.png"));
    EXPECT_EQ(style, wsTiled);
    // A record that names nothing gives way to the other.
    Write(nitrogen, "[xin_-1]\nmode=1\n");
    ASSERT_TRUE(ReadOtherSetterChoice(fileName, style));
    EXPECT_EQ(fileName, QStringLiteral("/p/feh.png"));
    QFile::remove(feh);
    QFile::remove(nitrogen);
}
