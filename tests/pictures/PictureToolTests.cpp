// The velloria-picture tool run as a user would run it: its output lines, exit codes, and that
// a failed conversion leaves no file behind.
#include "BmpReader.h"
#include "BmpWriter.h"
#include "FileFormats.h"
#include "GifSamples.h"
#include "Picture.h"
#include "PictureFormats.h"
#include "SampleFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TRun {
    int ExitCode = -1;
    QString Output;
};

TRun RunTool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-picture"), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

} // namespace

TEST(PictureTool, InfoPrintsClassAndSizeOrTheError) {
    QTemporaryDir dir;
    const TRun good = RunTool({QStringLiteral("info"),
                               WriteSample(dir, QStringLiteral("quad.bmp"), WriteBmp(QuadDib()))});
    EXPECT_EQ(good.ExitCode, 0);
    EXPECT_EQ(good.Output, QStringLiteral("TBitmap 2x2\n"));
    const TRun unknown =
        RunTool({QStringLiteral("info"),
                 WriteSample(dir, QStringLiteral("quad.jpe"), WriteBmp(QuadDib()))});
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_EQ(unknown.Output,
              QStringLiteral("EInvalidGraphic: Unknown picture file extension (.jpe)\n"));
    const TRun usage = RunTool({QStringLiteral("info")});
    EXPECT_EQ(usage.ExitCode, 2);
}

TEST(PictureTool, ConvertWritesTheStripOrNothing) {
    QTemporaryDir dir;
    const QString ani =
        WriteSample(dir, QStringLiteral("spin.ani"),
                    AniFile({SolidIcon(qRgb(255, 0, 0)), SolidIcon(qRgb(0, 255, 0)),
                             SolidIcon(qRgb(0, 0, 255)), SolidIcon(qRgb(255, 255, 0))}));
    const QString out = dir.filePath(QStringLiteral("spin.bmp"));
    const TRun converted = RunTool({QStringLiteral("convert"), ani, out});
    EXPECT_EQ(converted.ExitCode, 0);
    EXPECT_EQ(converted.Output, QStringLiteral("TBitmap 128x32 4bpp\n"));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const TDib dib = ReadBmp(file.readAll());
    EXPECT_EQ(dib.BitsPerPixel, 4);
    EXPECT_EQ(dib.Image.size(), QSize(128, 32));

    const QString iconOut = dir.filePath(QStringLiteral("icon.bmp"));
    const TRun icon =
        RunTool({QStringLiteral("convert"),
                 WriteSample(dir, QStringLiteral("red.ico"), SolidIcon(qRgb(255, 0, 0))), iconOut});
    EXPECT_EQ(icon.ExitCode, 1);
    EXPECT_EQ(icon.Output, QStringLiteral("EConvertError: Cannot assign a TIcon to a TBitmap\n"));
    EXPECT_FALSE(QFileInfo::exists(iconOut));

    // A first image without pixels is no picture to make a wallpaper of.
    for (const QSize size : {QSize(0, 4), QSize(4, 0)}) {
        const QString gif = WriteSample(dir, QStringLiteral("flat.gif"),
                                        RedBlueGif(size.width(), size.height(), QByteArray()));
        const QString flatOut = dir.filePath(QStringLiteral("flat.bmp"));
        const TRun flat = RunTool({QStringLiteral("convert"), gif, flatOut});
        EXPECT_EQ(flat.ExitCode, 1) << size.width() << "x" << size.height();
        EXPECT_EQ(flat.Output,
                  QStringLiteral("EInvalidGraphicOperation: GIF image is not valid\n"));
        EXPECT_FALSE(QFileInfo::exists(flatOut));
    }
}

TEST(PictureTool, DrawStretchesIntoAWhiteCanvas) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("quad.png"));
    const TRun drawn = RunTool({QStringLiteral("draw"),
                                WriteSample(dir, QStringLiteral("quad.bmp"), WriteBmp(QuadDib())),
                                QStringLiteral("4"), QStringLiteral("4"), out});
    EXPECT_EQ(drawn.ExitCode, 0) << drawn.Output.toStdString();
    const QImage image(out);
    ASSERT_EQ(image.size(), QSize(4, 4));
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(0, 3), qRgb(0, 0, 255));
    const QString iconPng = dir.filePath(QStringLiteral("icon.png"));
    QImage transparent(32, 32, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    const QList<QList<bool>> hidden(32, QList<bool>(32, true));
    const QString ico = WriteSample(dir, QStringLiteral("clear.ico"),
                                    IcoFile({{32, 32, 32, IconDib32(transparent, hidden)}}));
    EXPECT_EQ(
        RunTool({QStringLiteral("draw"), ico, QStringLiteral("8"), QStringLiteral("8"), iconPng})
            .ExitCode,
        0);
    EXPECT_EQ(QImage(iconPng).pixel(3, 3), qRgb(255, 255, 255));
    EXPECT_EQ(
        RunTool({QStringLiteral("draw"), ico, QStringLiteral("0"), QStringLiteral("8"), iconPng})
            .ExitCode,
        1);
}

// The run script's sample folder: one readable picture of every graphic class the registry
// knows, none of them blank, so a newcomer's first screen shows every kind of thumbnail.
TEST(SamplesTool, WritesOneReadablePictureOfEveryFormat) {
    RegisterPictureFormats();
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("samples"));
    QProcess process;
    process.start(QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-samples"), {folder});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    QSet<QString> classesLeft;
    for (const TFileFormat& row : FileFormats().Rows())
        classesLeft.insert(QString::fromLatin1(row.GraphicClass->className()));
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
        SCOPED_TRACE(file.fileName().toStdString());
        TPicture picture;
        picture.LoadFromFile(file.filePath());
        classesLeft.remove(QString::fromLatin1(picture.Graphic()->metaObject()->className()));
        QImage drawn(picture.Width(), picture.Height(), QImage::Format_ARGB32);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        picture.Graphic()->Draw(painter, drawn.rect());
        painter.end();
        QSet<QRgb> colours;
        for (int y = 0; y < drawn.height(); y += 4)
            for (int x = 0; x < drawn.width(); x += 4)
                colours.insert(drawn.pixel(x, y));
        EXPECT_GE(colours.size(), 3) << "a blank or single-colour sample";
    }
    EXPECT_TRUE(classesLeft.isEmpty()) << qPrintable(QStringList(classesLeft.values()).join(' '));
}

// Words that begin with "-" are options, and the tool knows only --help: none of them may end up
// as a folder of samples in the working folder. A folder named with a leading "-" follows "--".
TEST(SamplesTool, OptionsAreNeverTakenForTheFolder) {
    struct TCase {
        QStringList Arguments;
        int ExitCode;
        const char* Created; // the one entry the run leaves in the working folder, or ""
    };
    const QList<TCase> cases = {
        {{QStringLiteral("--help")}, 0, ""},
        {{QStringLiteral("-h")}, 2, ""},
        {{QStringLiteral("--samples")}, 2, ""},
        {{QStringLiteral("--help"), QStringLiteral("more")}, 2, ""},
        {{}, 2, ""},
        {{QStringLiteral("--"), QStringLiteral("-odd")}, 0, "-odd"},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Arguments.join(QLatin1Char(' ')).toStdString());
        QTemporaryDir dir;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-samples"),
                      test.Arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), test.ExitCode);
        const QByteArray usage =
            test.ExitCode == 2 ? process.readAllStandardError() : process.readAllStandardOutput();
        if (test.ExitCode == 2 || test.Arguments.value(0) == QLatin1String("--help")) {
            EXPECT_TRUE(usage.startsWith("Usage: velloria-samples")) << usage.constData();
        }
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        EXPECT_EQ(left,
                  *test.Created ? QStringList{QString::fromLatin1(test.Created)} : QStringList());
    }
}
