// velloria-desktop set on a plain X server: pictures other than BMP and JPEG reach the desktop
// through the cache, and those that cannot be converted leave it unchanged. A folder of the
// library-decoded formats is tried end to end, as a person would.

#include "../TestXvfb.h"
#include "../pictures/GifSamples.h"
#include "../pictures/LibrarySamples.h"
#include "../pictures/SampleFiles.h"
#include "Bitmap.h"
#include "FImage.h"
#include "GdkPixbufLoaders.h"
#include "Picture.h"
#include "PictureFormats.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <map>

namespace {
class DesktopTool : public ::testing::Test {
protected:
    QTemporaryDir Home;
    TTestXvfb Xvfb;
    // The session the tool runs in: a plain X server unless a test says otherwise.
    std::map<QString, QString> Session{{"DISPLAY", Xvfb.Display()}, {"XDG_SESSION_TYPE", "x11"}};

    struct TResult {
        int ExitCode;
        QString Output;
        QString Error;
    };

    TResult Run(const QStringList& arguments) {
        return RunProgram(VELLORIA_BINARY_DIR "/tools/velloria-desktop", arguments);
    }

    TResult RunProgram(const QString& program, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"WAYLAND_DISPLAY", "SWAYSOCK", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
              "KDE_FULL_SESSION", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM"})
            env.remove(name);
        for (const auto& [name, value] : Session)
            env.insert(name, value);
        env.insert("XDG_DATA_HOME", Home.path() + "/data");
        env.insert("XDG_CONFIG_HOME", Home.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", Home.path());
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(program, arguments);
        EXPECT_TRUE(tool.waitForFinished(20000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(tool.readAllStandardError()).trimmed()};
    }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(Home.path() + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString Cache() const { return Home.path() + "/data/Ornwick/Velloria/"; }

    // A GNOME session on GSettings' keyfile backend in the temporary home.
    void UseGnome() {
        Session["XDG_CURRENT_DESKTOP"] = "GNOME";
        Session["GSETTINGS_BACKEND"] = "keyfile";
        ASSERT_EQ(Run({"detect"}).Output, "gnome");
    }
    TResult GSettings(const QStringList& arguments) {
        return RunProgram("gsettings", QStringList{arguments[0], "org.gnome.desktop.background"} +
                                           arguments.mid(1));
    }
};
} // namespace

TEST_F(DesktopTool, GifIsConvertedAndIconRefused) {
    ASSERT_FALSE(Xvfb.Display().isEmpty());
    const QString gifFile = Write("été à Zürich.gif", RedBlueGif(2, 2, QByteArray("\0\1\1\0", 4)));

    const TResult set = Run({"set", gifFile, "centered"});
    EXPECT_EQ(set.ExitCode, 0) << set.Error.toStdString();
    EXPECT_EQ(set.Output, Cache() + "VL%été à Zürich.bmp");
    EXPECT_EQ(QImage(set.Output).size(), QSize(2, 2));
    EXPECT_EQ(Run({"get"}).Output, "centered\t" + Cache() + "VL%été à Zürich.bmp");

    const TResult icon = Run({"set", Write("app.ico", SolidIcon(qRgb(1, 2, 3))), "tiled"});
    EXPECT_EQ(icon.ExitCode, 1);
    EXPECT_EQ(icon.Error, "EConvertError: Cannot assign a TIcon to a TBitmap");
    EXPECT_EQ(Run({"get"}).Output, "centered\t" + Cache() + "VL%été à Zürich.bmp");

    const TResult unknown = Run({"set", Write("notes.txt", "text"), "tiled"});
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_EQ(unknown.Error, "EInvalidGraphic: Unknown picture file extension (.txt)");
}

TEST_F(DesktopTool, RefusalsAndMismatchesAreFailures) {
    ASSERT_FALSE(Xvfb.Display().isEmpty());
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString bmp = Home.path() + "/sea.bmp";
    ASSERT_TRUE(image.save(bmp, "BMP"));
    // A fresh plain X server shows no picture, and get says so: a style and no file name.
    const TResult unknown = Run({"get"});
    EXPECT_EQ(unknown.ExitCode, 0);
    EXPECT_EQ(unknown.Output.trimmed(), "centered") << unknown.Error.toStdString();
    EXPECT_EQ(Run({"set", bmp, "tiled"}).ExitCode, 0);

    // The state file still names the same file: only the desktop's answer tells the truth.
    Session["DISPLAY"] = ":1999";
    for (const char* style : {"stretched", "tiled"}) {
        const TResult refused = Run({"set", bmp, style});
        EXPECT_EQ(refused.ExitCode, 1) << style;
        EXPECT_TRUE(refused.Error.startsWith("EDesktopError: The desktop did not take the "
                                             "wallpaper \"" +
                                             bmp + "\""))
            << refused.Error.toStdString();
        EXPECT_TRUE(refused.Output.isEmpty());
    }
    Session["DISPLAY"] = Xvfb.Display();
    EXPECT_EQ(Run({"get"}).Output, "tiled\t" + bmp);

    ASSERT_TRUE(QFile::remove(bmp));
    const TResult restore = Run({"restore"});
    EXPECT_EQ(restore.ExitCode, 1);
    EXPECT_TRUE(
        restore.Error.startsWith("EDesktopError: The desktop did not take the last wallpaper back"))
        << restore.Error.toStdString();
}

// GNOME gets its own file back as it is, whatever its format (here its XML slideshow, in a new
// style), and never a file that is no picture.
TEST_F(DesktopTool, GnomeTakesItsOwnFileAsItIsAndNoFileThatIsNoPicture) {
    UseGnome();
    const QString own = Write("adwaita-timed.xml", "<background/>");
    const QString uri = "'file://" + own + "'";
    ASSERT_EQ(GSettings({"set", "picture-uri", uri}).ExitCode, 0);
    ASSERT_EQ(GSettings({"set", "picture-options", "zoom"}).ExitCode, 0);
    ASSERT_EQ(Run({"get"}).Output, "zoomed\t" + own);
    const std::pair<QString, QString> cases[] = {
        {own, ""},
        {Home.path() + "/missing.bmp", "EFOpenError: Cannot open file \"" + Home.path() +
                                           "/missing.bmp\". No such file or directory"},
        {Write("notes.jpg", "some text"), "EInvalidGraphic: Cannot use \"" + Home.path() +
                                              "/notes.jpg\" as wallpaper. JPEG error #53"},
        {Write("other.xyz", "<svg/>"), "EInvalidGraphic: Unknown picture file extension (.xyz)"},
    };
    for (const auto& [file, error] : cases) {
        const TResult set = Run({"set", file, "stretched"});
        EXPECT_EQ(set.ExitCode, error.isEmpty() ? 0 : 1) << file.toStdString();
        EXPECT_EQ(set.Error, error);
        EXPECT_EQ(GSettings({"get", "picture-uri"}).Output, uri);
    }
    EXPECT_EQ(GSettings({"get", "picture-options"}).Output, "'stretched'");
    EXPECT_TRUE(QDir(Cache()).entryList({"VL%*"}).isEmpty());
}

// What GNOME reads itself goes to it as it is; the rest goes through the cache as a BMP. Each
// new style is set and read back by its word.
TEST_F(DesktopTool, GnomeTakesWhatItReadsAsItIsAndTheNewStylesByTheirWords) {
    UseGnome();
    QImage photo(6, 4, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    ASSERT_TRUE(photo.save(Home.path() + "/photo.png", "PNG"));
    ASSERT_TRUE(photo.save(Home.path() + "/photo.jpeg", "JPEG"));
    const struct {
        QString File;
        const char* Style;
        QString Handed; // the file the desktop is given
    } cases[] = {
        {Home.path() + "/photo.png", "zoomed", Home.path() + "/photo.png"},
        {Write("drawing.SVG", "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>"),
         "scaled", Home.path() + "/drawing.SVG"},
        {Home.path() + "/photo.jpeg", "zoomed", Cache() + "VL%photo.bmp"},
        {Write("red blue.gif", RedBlueGif(2, 2, QByteArray("\0\1\1\0", 4))), "scaled",
         Cache() + "VL%red blue.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        const TResult set = Run({"set", c.File, c.Style});
        EXPECT_EQ(set.ExitCode, 0) << set.Error.toStdString();
        EXPECT_EQ(set.Output, c.Handed);
        EXPECT_EQ(Run({"get"}).Output, QString(c.Style) + "\t" + c.Handed);
        EXPECT_EQ(GSettings({"get", "picture-options"}).Output,
                  QString(c.Style) == "zoomed" ? "'zoom'" : "'scaled'");
    }
}

namespace {
const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

// Checks that image shows the quarters picture stretched over area.
void ExpectQuartersAt(const QImage& image, int left, int top, int width, int height) {
    const QList<QRgb> shown = ColoursOfQuarters(image, QRect(left, top, width, height));
    const QList<QRgb> colours = {Red, Green, Blue, White};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(qRed(shown[i]), qRed(colours[i]), 6);
        EXPECT_NEAR(qGreen(shown[i]), qGreen(colours[i]), 6);
        EXPECT_NEAR(qBlue(shown[i]), qBlue(colours[i]), 6);
    }
}

// The quarters picture written by a format's own tool (or, for PNG, Qt's libpng writer).
QByteArray FormatSample(const QString& extension, const QImage& picture) {
    QTemporaryDir dir;
    const QString png = dir.filePath("in.png");
    picture.save(png, "PNG");
    QFile in(png);
    const QByteArray pngBytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    if (extension == "png")
        return pngBytes;
    if (extension == "svg")
        return "<svg xmlns='http://www.w3.org/2000/svg' width='32' height='24'>"
               "<rect width='16' height='12' fill='#f00'/><rect x='16' width='16' height='12' "
               "fill='#0f0'/><rect y='12' width='16' height='12' fill='#00f'/><rect x='16' "
               "y='12' width='16' height='12' fill='#fff'/></svg>";
    QProcess tool;
    if (extension == "webp")
        tool.start("cwebp", {"-quiet", "-lossless", png, "-o", dir.filePath("out")});
    else // tif
        tool.start("pngtopnm", {png});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    if (extension == "tif") {
        QProcess tiff;
        tiff.start("pnmtotiff", {});
        tiff.write(tool.readAllStandardOutput());
        tiff.closeWriteChannel();
        return tiff.waitForFinished(60000) && tiff.exitCode() == 0 ? tiff.readAllStandardOutput()
                                                                   : QByteArray();
    }
    QFile out(dir.filePath("out"));
    return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
}

struct TFolderRow {
    QString Name;     // the good picture's file name; its damaged copy sorts right after it
    QString NotValid; // the damaged copy's message
    bool RootAsIs;    // the plain X root window reads it itself
    bool GnomeAsIs;   // GNOME is handed the file itself, not the cache's BMP
};
} // namespace

// One picture of each format and a truncated copy of each, in one folder: listed in name order
// and drawn with their colours by velloria-thumbnails, shown in View, set as the wallpaper of the
// plain X root window in the three styles and on GNOME, as they are where that desktop reads
// them, else through the cache's BMP.
TEST_F(DesktopTool, FolderOfEveryNewFormatIsShownAndBecomesTheWallpaper) {
    ASSERT_FALSE(Xvfb.Display().isEmpty());
    RegisterPictureFormats();
    const bool gnomeReadsWebp = GdkPixbufLoaderInstalled("webp");
    const TFolderRow rows[] = {
        {"avif-1.avif", "AVIF image is not valid", false, false},
        {"heic-1.heic", "HEIF image is not valid", false, false},
        {"jxl-1.jxl", "JPEG XL image is not valid", false, false},
        {"png-1.png", "PNG image is not valid", true, true},
        {"svg-1.svg", "SVG image is not valid", false, true},
        {"tif-1.tif", "TIFF image is not valid", false, true},
        {"webp-1.webp", "WebP image is not valid", false, gnomeReadsWebp},
    };
    const std::map<QString, TLibraryFormat> libraryFormats = {{"avif", TLibraryFormat::Avif},
                                                              {"heic", TLibraryFormat::Heif},
                                                              {"jxl", TLibraryFormat::Jxl}};
    const QString folder = Home.path() + "/pictures/";
    ASSERT_TRUE(QDir().mkpath(folder));
    QStringList damaged;
    for (const TFolderRow& row : rows) {
        const QString extension = QFileInfo(row.Name).suffix();
        const QImage quarters = QuarterColours(32, 24);
        const QByteArray file = libraryFormats.count(extension)
                                    ? MakeLibrarySample(libraryFormats.at(extension), {quarters})
                                    : FormatSample(extension, quarters);
        ASSERT_FALSE(file.isEmpty()) << row.Name.toStdString();
        Write("pictures/" + row.Name, file);
        damaged << Write(
            "pictures/" + QString(row.Name).replace("-1.", "-2 damaged."),
            // libtiff shows the part of a cut picture it has: a TIFF is damaged in its header.
            file.left(extension == "tif" ? 8 : file.size() / 2));
    }

    // Four cells a row: the good pictures in columns 0 and 2, each followed by its damaged copy,
    // whose cell shows the broken-picture mark.
    const QString view = Home.path() + "/view.png";
    const TResult thumbnails =
        RunProgram(VELLORIA_BINARY_DIR "/tools/velloria-thumbnails", {folder, "433", "470", view});
    EXPECT_EQ(thumbnails.ExitCode, 1);
    EXPECT_EQ(thumbnails.Output, view + ": 433 x 470, 14 of 14 pictures in view");
    for (const QString& file : damaged)
        EXPECT_TRUE(thumbnails.Error.contains("Cannot read the picture \"" + file + "\": "))
            << thumbnails.Error.toStdString();
    const QImage cells(view);
    ASSERT_EQ(cells.size(), QSize(433, 470));
    // The viewer's border is 2 pixels, cells are 112 x 130 apart, a 32 x 24 picture sits at
    // (42, 46) of its cell (an SVG drawing fills the cell around the same centre).
    const int count = int(std::size(rows));
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(rows[i].Name.toStdString());
        const QPoint cell(2 + (2 * i) % 4 * 112, 2 + (2 * i) / 4 * 130);
        ExpectQuartersAt(cells, cell.x() + 42, cell.y() + 46, 32, 24);
        const QPoint next = cell + QPoint(112, 0);
        const QList<QRgb> damagedCell =
            ColoursOfQuarters(cells, QRect(next.x() + 42, next.y() + 46, 32, 24));
        EXPECT_NE(damagedCell,
                  ColoursOfQuarters(cells, QRect(cell.x() + 42, cell.y() + 46, 32, 24)))
            << "the damaged copy's cell shows its mark, not the picture";
    }

    for (int i = 0; i < count; ++i) {
        const TFolderRow& row = rows[i];
        SCOPED_TRACE(row.Name.toStdString());
        const QString file = folder + row.Name;
        // View: the picture at its own size in the middle of the window.
        TPicture picture;
        picture.LoadFromFile(file);
        TImageForm form;
        form.SetPicture(picture);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ExpectQuartersAt(form.grab().toImage(), (449 - 32) / 2, (415 - 24) / 2, 32, 24);
        TPicture broken;
        try {
            broken.LoadFromFile(damaged[i]);
            TBitmap bitmap;
            bitmap.Assign(broken.Graphic());
            ADD_FAILURE() << "the damaged copy was read";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), row.NotValid);
        }

        // The plain X root window in the three styles, looked at on the 800 x 600 screen.
        const QString cached =
            Cache() + "VL%" + QString(row.Name).replace(QRegularExpression("\\.\\w+$"), ".bmp");
        const struct {
            const char* Style;
            QRect Picture;
        } styles[] = {{"tiled", {32, 24, 32, 24}},
                      {"centered", {(800 - 32) / 2, (600 - 24) / 2, 32, 24}},
                      {"stretched", {0, 0, 800, 600}}};
        for (const auto& style : styles) {
            SCOPED_TRACE(style.Style);
            const TResult set = Run({"set", file, style.Style});
            ASSERT_EQ(set.ExitCode, 0) << set.Error.toStdString();
            EXPECT_EQ(set.Output, row.RootAsIs ? file : cached);
            const QString shot = Home.path() + "/screen.png";
            ASSERT_EQ(RunProgram(VELLORIA_SCREENSHOT_TOOL, {shot}).ExitCode, 0);
            const QImage screen(shot);
            ASSERT_EQ(screen.size(), QSize(800, 600));
            const QRect& r = style.Picture;
            ExpectQuartersAt(screen, r.x(), r.y(), r.width(), r.height());
            if (QByteArray(style.Style) == "centered") {
                EXPECT_EQ(screen.pixel(2, 2) & 0xFFFFFF, Black & 0xFFFFFF);
            }
        }
        TResult refused = Run({"set", damaged[i], "tiled"});
        EXPECT_EQ(refused.ExitCode, 1);
        // What the root window reads itself, it refuses with its own reason, naming the file.
        EXPECT_TRUE(row.RootAsIs ? refused.Error.contains(damaged[i])
                                 : refused.Error.endsWith(row.NotValid))
            << refused.Error.toStdString();
    }

    // GNOME is given what it reads as it is (PNG, SVG, TIFF, WebP with its loader), else the
    // cache's BMP.
    UseGnome();
    for (const TFolderRow& row : rows) {
        SCOPED_TRACE(row.Name.toStdString());
        const TResult set = Run({"set", folder + row.Name, "stretched"});
        ASSERT_EQ(set.ExitCode, 0) << set.Error.toStdString();
        EXPECT_EQ(GSettings({"get", "picture-uri"}).Output,
                  "'" + QString::fromLatin1(QUrl::fromLocalFile(set.Output).toEncoded()) + "'");
        if (row.GnomeAsIs) {
            EXPECT_EQ(set.Output, folder + row.Name);
        } else {
            EXPECT_TRUE(set.Output.startsWith(Cache() + "VL%"));
            ExpectQuartersAt(QImage(set.Output), 0, 0, 32, 24);
        }
    }
}
