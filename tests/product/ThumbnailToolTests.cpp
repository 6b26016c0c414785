// velloria-thumbnails run as a user would run it: the PNG it writes shows each picture fitted and
// centred in its cell as the viewer draws it, and its failures come with their exit status.
#include "BmpWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The viewer's sunken border: client point (x, y) is at (x + 2, y + 2) of the grab.
constexpr int Border = 2;
// Cells of 108 with spacing 4 and 18 pixels of caption: pitch 112 x 130, cell 0's picture area
// at (10, 10) - (106, 106) of the client area.
constexpr int PitchX = 112;
constexpr int PitchY = 130;

struct TRun {
    int ExitCode = -1;
    QString Output;
    QString Error;
};

class ThumbnailTool : public ::testing::Test {
protected:
    QTemporaryDir Home;

    QString Folder() const { return Home.filePath(QStringLiteral("pictures")); }
    QString Png() const { return Home.filePath(QStringLiteral("view.png")); }

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(Folder())); }

    void WriteSolid(const QString& name, QSize size, QRgb colour) {
        TDib dib;
        dib.Image = QImage(size, QImage::Format_RGB32);
        dib.Image.fill(colour);
        dib.BitsPerPixel = 24;
        WriteFile(name, WriteBmp(dib));
    }
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(Folder() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    TRun Run(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Home.path());
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-thumbnails"), arguments);
        EXPECT_TRUE(tool.waitForFinished(60000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }
};

// The grab's pixel at client point (x, y) of the cell at column, row.
QRgb At(const QImage& image, int column, int row, int x, int y) {
    return image.pixel(Border + column * PitchX + x, Border + row * PitchY + y) & 0xFFFFFF;
}

} // namespace

TEST_F(ThumbnailTool, DrawsEachPictureFittedAndCentredInItsCell) {
    WriteSolid(QStringLiteral("a wide.bmp"), QSize(200, 100), qRgb(255, 0, 0));
    WriteSolid(QStringLiteral("B tall.bmp"), QSize(60, 200), qRgb(0, 200, 0));
    WriteSolid(QStringLiteral("c small.bmp"), QSize(50, 50), qRgb(0, 0, 255));
    for (int i = 0; i < 17; ++i)
        WriteSolid(QStringLiteral("z%1.bmp").arg(i, 2, 10, QLatin1Char('0')), QSize(8, 8),
                   qRgb(i * 10, 100, 100));

    const TRun run = Run({Folder(), QStringLiteral("433"), QStringLiteral("470"), Png()});
    ASSERT_EQ(run.ExitCode, 0) << run.Error.toStdString();
    // Four columns and four rows meet the client area: 16 of the 20 pictures.
    EXPECT_EQ(run.Output, Png() + QStringLiteral(": 433 x 470, 16 of 20 pictures in view\n"));
    EXPECT_EQ(run.Error, QString());
    const QImage view(Png());
    ASSERT_EQ(view.size(), QSize(433, 470));
    const QRgb background = At(view, 0, 0, 8, 8);

    // 200 x 100 becomes 96 x 48 at (10, 34); 60 x 200 becomes 28 x 96 at (44, 10); 50 x 50
    // keeps its size at (33, 33). Each case: a pixel just inside each edge, one just outside.
    const struct {
        int Column;
        QRect Fitted;
        QRgb Colour;
    } cases[] = {{0, QRect(10, 34, 96, 48), qRgb(255, 0, 0)},
                 {1, QRect(44, 10, 28, 96), qRgb(0, 200, 0)},
                 {2, QRect(33, 33, 50, 50), qRgb(0, 0, 255)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Column);
        const QRect& r = c.Fitted;
        const int midX = r.center().x();
        const int midY = r.center().y();
        EXPECT_EQ(At(view, c.Column, 0, r.left(), midY), c.Colour & 0xFFFFFF);
        EXPECT_EQ(At(view, c.Column, 0, r.right(), midY), c.Colour & 0xFFFFFF);
        EXPECT_EQ(At(view, c.Column, 0, midX, r.top()), c.Colour & 0xFFFFFF);
        EXPECT_EQ(At(view, c.Column, 0, midX, r.bottom()), c.Colour & 0xFFFFFF);
        EXPECT_EQ(At(view, c.Column, 0, r.left() - 1, midY), background);
        EXPECT_EQ(At(view, c.Column, 0, r.right() + 1, midY), background);
        EXPECT_EQ(At(view, c.Column, 0, midX, r.top() - 1), background);
        EXPECT_EQ(At(view, c.Column, 0, midX, r.bottom() + 1), background);
        // The grey frame along the inside of the item rectangle (6, 6) - (110, 110).
        EXPECT_EQ(At(view, c.Column, 0, 6, 50), qRgb(128, 128, 128) & 0xFFFFFF);
        EXPECT_EQ(At(view, c.Column, 0, 109, 50), qRgb(128, 128, 128) & 0xFFFFFF);
    }
    // The second row starts with z01, drawn at its own size in the middle of its area.
    EXPECT_EQ(At(view, 0, 1, 58, 58), qRgb(10, 100, 100) & 0xFFFFFF);
    EXPECT_EQ(At(view, 0, 1, 53, 58), background);
    // A caption is written under each picture.
    int inked = 0;
    for (int x = 6; x < 110; ++x)
        for (int y = 112; y < 128; ++y)
            inked += At(view, 0, 0, x, y) != background;
    EXPECT_GT(inked, 20);
}

TEST_F(ThumbnailTool, FailuresGiveTheirExitStatusAndReason) {
    WriteSolid(QStringLiteral("good.bmp"), QSize(40, 40), qRgb(0, 0, 255));
    WriteFile(QStringLiteral("damaged.bmp"), "BM this is no bitmap");
    const QString missing = Home.filePath(QStringLiteral("missing"));
    const QString unwritable = Home.filePath(QStringLiteral("no/such/folder/view.png"));
    const struct {
        QStringList Arguments;
        int ExitCode;
        QString ErrorStart;
    } cases[] = {
        {{Folder(), "433", "470"}, 2, "usage: velloria-thumbnails FOLDER WIDTH HEIGHT OUT.png"},
        {{Folder(), "0", "470", Png()}, 2, "usage:"},
        {{Folder(), "433", "wide", Png()}, 2, "usage:"},
        {{Folder(), "16385", "470", Png()}, 2, "usage:"},
        {{missing, "433", "470", Png()},
         1,
         "velloria-thumbnails: cannot list the folder \"" + missing + "\": "},
        {{Folder(), "433", "470", unwritable},
         1,
         "velloria-thumbnails: cannot write \"" + unwritable + "\""},
        // The damaged picture is named with its reason; the view is still saved.
        {{Folder(), "433", "470", Png()},
         1,
         "velloria-thumbnails: Cannot read the picture \"" + Folder() +
             "/damaged.bmp\": Bitmap image is not valid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments.join(QLatin1Char(' ')).toStdString());
        const TRun run = Run(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode);
        EXPECT_TRUE(run.Error.startsWith(c.ErrorStart)) << run.Error.toStdString();
    }
    const QImage view(Png());
    ASSERT_EQ(view.size(), QSize(433, 470));
    // damaged.bmp sorts first: its cell holds the frame and the broken-picture mark; good.bmp
    // is drawn.
    EXPECT_EQ(At(view, 0, 0, 58, 58), qRgb(192, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(At(view, 0, 0, 6, 50), qRgb(128, 128, 128) & 0xFFFFFF);
    EXPECT_EQ(At(view, 1, 0, 58, 58), qRgb(0, 0, 255) & 0xFFFFFF);
}

// Cells left without a picture because their files are no pictures at all (a FIFO, a device, an
// empty file) count as pictures that cannot be read: exit 1, each named, none waited on.
TEST_F(ThumbnailTool, FilesThatAreNoPicturesAreFailures) {
    WriteSolid(QStringLiteral("good.bmp"), QSize(40, 40), qRgb(0, 0, 255));
    WriteFile(QStringLiteral("empty.bmp"), QByteArray());
    ASSERT_EQ(::mkfifo(QFile::encodeName(Folder() + "/fifo.bmp").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Folder() + "/device.jpg"));
    const TRun run = Run({Folder(), "433", "470", Png()});
    EXPECT_EQ(run.ExitCode, 1);
    for (const char* name : {"empty.bmp", "fifo.bmp", "device.jpg"})
        EXPECT_TRUE(run.Error.contains("Cannot read the picture \"" + Folder() + "/" + name))
            << name << ": " << run.Error.toStdString();
    EXPECT_FALSE(run.Error.contains("good.bmp")) << run.Error.toStdString();
}
