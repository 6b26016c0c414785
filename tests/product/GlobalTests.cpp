// The product object over a real X server's root window: settings, the wallpaper records,
// conversion into the cache and the cache clean-up, with real picture files.

#include "../TestXvfb.h"
#include "../pictures/GifSamples.h"
#include "../pictures/MetafileWriter.h"
#include "../pictures/SampleFiles.h"
#include "DesktopFactory.h"
#include "Global.h"
#include "Graphics.h"
#include "LxConfiguration.h"
#include "PictureFormats.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray SmallGif() {
    return RedBlueGif(4, 2, QByteArray("\0\1\0\1\1\0\1\0", 8));
}

// Folders, variables and the X server of one test; the product object lives in it.
class Product : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QString Pictures = Home.path() + "/pictures/";
    std::unique_ptr<TTestXvfb> Xvfb;
    std::unique_ptr<TVelloriaApp> App;

    static void SetUpTestSuite() { RegisterPictureFormats(); }

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", (Home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (Home.path() + "/data").toUtf8());
        QDir().mkpath(Pictures);
        App = std::make_unique<TVelloriaApp>();
        VelloriaApp = App.get();
    }
    void TearDown() override {
        VelloriaApp = nullptr;
        App.reset();
    }

    // Puts the product on the root window of a private X server, its state in the data folder.
    void UseRootWindow() {
        Xvfb = std::make_unique<TTestXvfb>();
        ASSERT_FALSE(Xvfb->Display().isEmpty());
        qputenv("DISPLAY", Xvfb->Display().toUtf8());
        App->ActiveDesktop = std::make_unique<TActiveDesktop>(
            CreateDesktopWallpaper(TDesktopKind::X11Root, App->CacheFolder));
    }

    QString Picture(const QString& name, const QByteArray& bytes) {
        Write(Pictures + name, bytes);
        return Pictures + name;
    }

    QString Bmp(const QString& name) {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::green);
        image.save(Pictures + name, "BMP");
        return Pictures + name;
    }

    TLxWallpaper Current() {
        TLxWallpaper wallpaper;
        App->ReadWallpaper(wallpaper);
        return wallpaper;
    }
};
} // namespace

TEST_F(Product, DefaultsAndCacheFolder) {
    EXPECT_EQ(App->GetAppName(), "Velloria");
    EXPECT_EQ(App->ThumbSize, 100);
    EXPECT_EQ(App->ThumbPadding, 4);
    EXPECT_FALSE(App->ExitCleanup);
    EXPECT_TRUE(App->LastFolder.isEmpty());
    EXPECT_EQ(App->CacheFolder, Home.path() + "/data/Ornwick/Velloria/");
    EXPECT_TRUE(QFileInfo(App->CacheFolder).isDir());
    EXPECT_EQ(App->ChosenWallpaper->Style, wsTiled);
    EXPECT_TRUE(App->StartupWallpaper->FileName.isEmpty());
}

TEST_F(Product, CacheFolderThatCannotBeCreated) {
    App.reset();
    VelloriaApp = nullptr;
    QDir(Home.path() + "/data/Ornwick").removeRecursively();
    Write(Home.path() + "/data/Ornwick", "a file in the way");
    try {
        TVelloriaApp app;
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(),
                  "Failed to create folder: " + Home.path() + "/data/Ornwick/Velloria/");
    }
}

TEST_F(Product, SettersTestTheirRanges) {
    for (int value : {60, 200, 59, 201, -1})
        App->SetThumbSize(value);
    EXPECT_EQ(App->ThumbSize, 200);
    App->SetThumbSize(59);
    EXPECT_EQ(App->ThumbSize, 200);
    App->SetThumbSize(60);
    EXPECT_EQ(App->ThumbSize, 60);
    App->SetThumbPadding(40);
    App->SetThumbPadding(41);
    EXPECT_EQ(App->ThumbPadding, 40);
    App->SetThumbPadding(0);
    App->SetThumbPadding(-1);
    EXPECT_EQ(App->ThumbPadding, 0);
}

TEST_F(Product, SettingsLoadAsStoredWithoutRangeTest) {
    const QString folder = Home.path() + "/config/Ornwick/Velloria/";
    QDir().mkpath(folder);
    Write(folder + "product_tests.ini",
          "[LXS:CONFIG:HEADER]\r\nSchemaVersion=1\r\n[Velloria]\r\nThumb-Size=20\r\n"
          "Thumb-Padding=99\r\nExit-Cleanup=1\r\nLastFolder=\"/home/me/My Pictures\"\r\n");
    App->Parameters = QStringList{};
    App->Initialize();
    EXPECT_EQ(App->ThumbSize, 20);
    EXPECT_EQ(App->ThumbPadding, 99);
    EXPECT_TRUE(App->ExitCleanup);
    EXPECT_EQ(App->LastFolder, "/home/me/My Pictures");
    App->SetThumbSize(30);
    EXPECT_EQ(App->ThumbSize, 20);
    App->Finalize();
    TLxConfigItems& items = Configuration().Items;
    QStringList names;
    for (int i = 0; i < items.Count(); ++i)
        names << items[i].Name;
    EXPECT_EQ(names, (QStringList{"SessionInfo", "LastFolder", "Thumb-Size", "Thumb-Padding",
                                  "Exit-Cleanup"}));
    // Stored entries are rewritten in place; the session record is appended.
    QFile file(folder + "product_tests.ini");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(
        text.endsWith("[Velloria]\r\nThumb-Size=20\r\nThumb-Padding=99\r\nExit-Cleanup=1\r\n"
                      "LastFolder=\"/home/me/My Pictures\"\r\nSessionInfo=" +
                      text.mid(text.indexOf("SessionInfo=") + 12, 56) + "\r\n\r\n"))
        << text.constData();
}

TEST_F(Product, ExtensionsAndCacheNames) {
    EXPECT_TRUE(HasExtension("/a/photo.BMP", ".bmp"));
    EXPECT_TRUE(HasExtension("/a/photo.Jpg", ".jpg"));
    EXPECT_FALSE(HasExtension("/a/photo.jpeg", ".jpg"));
    EXPECT_FALSE(HasExtension("/a.jpg/notes", ".jpg"));
    EXPECT_EQ(GetCacheFileName("/pics/sunset.gif"), App->CacheFolder + "VL%sunset.bmp");
    EXPECT_EQ(GetCacheFileName("/pics/notes"), App->CacheFolder + "VL%notes.bmp");
    EXPECT_EQ(GetCacheFileName(""), App->CacheFolder + "VL%.bmp");
    EXPECT_EQ(GetCacheFileName("/pics/a.b.ani"), App->CacheFolder + "VL%a.b.bmp");
}

TEST_F(Product, NoDesktopReadsAsCentredWithAnEmptyName) {
    App->ActiveDesktop = std::make_unique<TActiveDesktop>(nullptr);
    TLxWallpaper record{"/old.bmp", wsStretched};
    App->ReadWallpaper(record);
    EXPECT_TRUE(record.FileName.isEmpty());
    EXPECT_EQ(record.Style, wsCentered);
    EXPECT_FALSE(App->ActiveDesktop->SetWallpaper(Bmp("a.bmp"), wsTiled));
    TLxWallpaper bitmap{Bmp("b.bmp"), wsTiled};
    try {
        App->ApplyWallpaper(bitmap);
        ADD_FAILURE() << "no error";
    } catch (const EDesktopError& error) {
        EXPECT_EQ(error.Message(), "The desktop did not take the wallpaper \"" + bitmap.FileName +
                                       "\": no supported desktop was found");
    }
}

TEST_F(Product, DesktopWithoutAnXServerRefusesAfterTheRecordIsSettled) {
    qputenv("DISPLAY", ":1999"); // no server answers there
    App->ActiveDesktop = std::make_unique<TActiveDesktop>(
        CreateDesktopWallpaper(TDesktopKind::X11Root, App->CacheFolder));
    const QString bmp = Bmp("straight.bmp");
    const QString cache = App->CacheFolder + "VL%sunset.bmp";
    // The converted picture's record names the cache file even though the desktop refused it.
    const std::pair<QString, QString> cases[] = {{bmp, bmp},
                                                 {Picture("sunset.gif", SmallGif()), cache}};
    for (const auto& [file, handedOver] : cases) {
        TLxWallpaper record{file, wsStretched};
        try {
            App->ApplyWallpaper(record);
            ADD_FAILURE() << "no error for " << file.toStdString();
        } catch (const EDesktopError& error) {
            EXPECT_EQ(error.ClassName(), "EDesktopError");
            EXPECT_TRUE(error.Message().startsWith("The desktop did not take the wallpaper \"" +
                                                   handedOver + "\""))
                << error.Message().toStdString();
        }
        EXPECT_EQ(record.FileName, handedOver);
        EXPECT_TRUE(Current().FileName.isEmpty());
    }
    EXPECT_EQ(QImage(cache).size(), QSize(4, 2));
}

TEST_F(Product, VerifyComparesFileAndStyleWithTheDesktop) {
    UseRootWindow();
    TLxWallpaper shown{Bmp("shown.bmp"), wsTiled};
    App->ApplyWallpaper(shown);
    App->VerifyWallpaper(shown);
    App->VerifyWallpaper({Pictures + "./shown.bmp", wsTiled});
    const std::pair<TLxWallpaper, QString> cases[] = {
        {{shown.FileName, wsStretched},
         "\"" + shown.FileName + "\" tiled instead of \"" + shown.FileName + "\" stretched"},
        {{Pictures + "other.bmp", wsTiled},
         "\"" + shown.FileName + "\" tiled instead of \"" + Pictures + "other.bmp\" tiled"},
    };
    for (const auto& [record, message] : cases) {
        try {
            App->VerifyWallpaper(record);
            ADD_FAILURE() << "no error for " << message.toStdString();
        } catch (const EDesktopError& error) {
            EXPECT_EQ(error.Message(), "The desktop shows " + message);
        }
    }
    App->ActiveDesktop = std::make_unique<TActiveDesktop>(nullptr);
    try {
        App->VerifyWallpaper(shown);
        ADD_FAILURE() << "no error without a desktop";
    } catch (const EDesktopError& error) {
        EXPECT_EQ(error.Message(), "The desktop cannot tell which wallpaper it shows: no "
                                   "supported desktop was found");
    }
}

TEST_F(Product, BitmapsAndJpegsGoStraightToTheDesktop) {
    UseRootWindow();
    TLxWallpaper bitmap{Bmp("Straight.BMP"), wsStretched};
    App->ApplyWallpaper(bitmap);
    EXPECT_EQ(bitmap.FileName, Pictures + "Straight.BMP");
    EXPECT_EQ(Current().FileName, Pictures + "Straight.BMP");
    EXPECT_EQ(Current().Style, wsStretched);
    TLxWallpaper outOfRange{bitmap.FileName, 255};
    App->ApplyWallpaper(outOfRange);
    EXPECT_EQ(Current().Style, wsCentered);

    QImage photo(8, 6, QImage::Format_RGB32);
    photo.fill(Qt::yellow);
    ASSERT_TRUE(photo.save(Pictures + "photo.Jpg", "JPEG"));
    TLxWallpaper jpg{Pictures + "photo.Jpg", wsTiled};
    App->ApplyWallpaper(jpg);
    EXPECT_EQ(Current().FileName, Pictures + "photo.Jpg");
    EXPECT_TRUE(QDir(App->CacheFolder).entryList({"VL%*"}).isEmpty());

    // The longer extension is not handed over as it is: it is converted first.
    QFile::copy(Pictures + "photo.Jpg", Pictures + "photo.jpeg");
    TLxWallpaper jpeg{Pictures + "photo.jpeg", wsTiled};
    App->ApplyWallpaper(jpeg);
    EXPECT_EQ(Current().FileName, App->CacheFolder + "VL%photo.bmp");
    EXPECT_EQ(QImage(App->CacheFolder + "VL%photo.bmp").size(), QSize(8, 6));
}

TEST_F(Product, BitmapsAndJpegsThatAreNoSuchPicturesAreRefused) {
    UseRootWindow();
    TLxWallpaper before{Bmp("before.bmp"), wsTiled};
    App->ApplyWallpaper(before);
    QDir().mkpath(Pictures + "dir.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(Pictures + "pipe.jpg").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Pictures + "gone.bmp", Pictures + "dangling.bmp"));
    QImage png(4, 4, QImage::Format_RGB32);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(Pictures + "png.jpg", "PNG"));
    const char* noFile = "No such file or directory";
    const char* badBitmap = "Bitmap image is not valid";
    const struct {
        const char* Name;
        QByteArray Bytes; // written when not empty
        const char* OpenError;
        const char* PictureError;
    } cases[] = {
        {"missing.bmp", {}, noFile, nullptr},
        {"dangling.bmp", {}, noFile, nullptr},
        {"dir.bmp", {}, "It is a folder, not a file.", nullptr},
        {"pipe.jpg", {}, "It is not a regular file.", nullptr},
        {"empty.bmp", {}, nullptr, badBitmap},
        {"text.BMP", "BM but no header", nullptr, badBitmap},
        {"notes.jpg", "some text", nullptr, "JPEG error #53"},
        {"png.jpg", {}, nullptr, "JPEG error #53"},
    };
    Write(Pictures + "empty.bmp", {});
    for (const auto& test : cases) {
        const QString file = Pictures + test.Name;
        if (!test.Bytes.isEmpty())
            Write(file, test.Bytes);
        TLxWallpaper record{file, wsStretched};
        try {
            App->ApplyWallpaper(record);
            ADD_FAILURE() << "no error for " << test.Name;
        } catch (const EFOpenError& error) {
            EXPECT_EQ(error.Message(),
                      QString("Cannot open file \"%1\". %2").arg(file, test.OpenError));
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(error.Message(),
                      QString("Cannot use \"%1\" as wallpaper. %2").arg(file, test.PictureError));
        }
        EXPECT_EQ(record.FileName, file);
        EXPECT_EQ(Current().FileName, before.FileName);
        EXPECT_EQ(Current().Style, wsTiled);
    }

    // A link to a real bitmap is that bitmap.
    ASSERT_TRUE(QFile::link(before.FileName, Pictures + "link.bmp"));
    TLxWallpaper link{Pictures + "link.bmp", wsCentered};
    App->ApplyWallpaper(link);
    EXPECT_EQ(Current().FileName, Pictures + "link.bmp");
}

TEST_F(Product, OtherPicturesAreConvertedIntoTheCache) {
    UseRootWindow();
    TLxWallpaper gif{Picture("sunset.gif", SmallGif()), wsTiled};
    App->ApplyWallpaper(gif);
    const QString cache = App->CacheFolder + "VL%sunset.bmp";
    EXPECT_EQ(gif.FileName, cache);
    EXPECT_EQ(Current().FileName, cache);
    QImage converted(cache);
    ASSERT_EQ(converted.size(), QSize(4, 2));
    EXPECT_EQ(converted.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(converted.pixel(1, 0), qRgb(0, 0, 255));

    // Applying the record again (a second Restore) hands the cache file straight over.
    const QDateTime written = QFileInfo(cache).lastModified();
    App->ApplyWallpaper(gif);
    EXPECT_EQ(gif.FileName, cache);
    EXPECT_EQ(QFileInfo(cache).lastModified(), written);

    QList<QByteArray> frames;
    for (QRgb colour : {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)})
        frames << SolidIcon(colour);
    TLxWallpaper cursor{Picture("busy.ani", AniFile(frames)), wsCentered};
    App->ApplyWallpaper(cursor);
    EXPECT_EQ(QImage(App->CacheFolder + "VL%busy.bmp").size(), QSize(128, 32));
}

TEST_F(Product, TheDesktopsOwnWallpaperGoesBackAsItIs) {
    UseRootWindow();
    QImage png(6, 4, QImage::Format_RGB32);
    png.fill(Qt::magenta);
    ASSERT_TRUE(png.save(Pictures + "startup.png", "PNG"));
    ASSERT_TRUE(App->ActiveDesktop->SetWallpaper(Pictures + "startup.png", wsStretched));
    App->ReadWallpaper(*App->StartupWallpaper);
    ASSERT_EQ(App->StartupWallpaper->FileName, Pictures + "startup.png");

    *App->ChosenWallpaper = {Bmp("chosen.bmp"), wsTiled};
    App->ApplyWallpaper(*App->ChosenWallpaper);
    App->ApplyWallpaper(*App->StartupWallpaper);
    EXPECT_EQ(App->StartupWallpaper->FileName, Pictures + "startup.png");
    EXPECT_EQ(Current().FileName, Pictures + "startup.png");
    EXPECT_EQ(Current().Style, wsStretched);
    EXPECT_TRUE(QDir(App->CacheFolder).entryList({"VL%*"}).isEmpty());

    // A PNG the desktop did not report is one of ours: it is converted into the cache.
    ASSERT_TRUE(QFile::copy(Pictures + "startup.png", Pictures + "other.png"));
    TLxWallpaper other{Pictures + "other.png", wsTiled};
    App->ApplyWallpaper(other);
    EXPECT_EQ(other.FileName, App->CacheFolder + "VL%other.bmp");
    EXPECT_EQ(Current().FileName, App->CacheFolder + "VL%other.bmp");
    EXPECT_EQ(QImage(other.FileName).pixel(2, 2), QColor(Qt::magenta).rgb());
}

TEST_F(Product, IconsAndMetafilesAreRefusedAndNothingChanges) {
    UseRootWindow();
    TLxWallpaper before{Bmp("before.bmp"), wsTiled};
    App->ApplyWallpaper(before);
    const QString emf =
        Picture("drawing.emf", TEmfWriter(QRect(0, 0, 1000, 1000), {640, 480}, {320, 240}).Bytes());
    const QString wmf = Picture("drawing.wmf", TWmfWriter(QRect(0, 0, 100, 100), 96).Bytes());
    const QString ico = Picture("app.ico", SolidIcon(qRgb(1, 2, 3)));
    const std::pair<QString, QString> cases[] = {
        {ico, "Cannot assign a TIcon to a TBitmap"},
        {emf, "Cannot assign a TMetafile to a TBitmap"},
        {wmf, "Cannot assign a TMetafile to a TBitmap"},
    };
    for (const auto& [file, message] : cases) {
        TLxWallpaper record{file, wsStretched};
        try {
            App->ApplyWallpaper(record);
            ADD_FAILURE() << "converted " << file.toStdString();
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(), message);
        }
        EXPECT_EQ(record.FileName, file);
        EXPECT_EQ(Current().FileName, before.FileName);
    }
    EXPECT_TRUE(QDir(App->CacheFolder).entryList({"VL%*"}).isEmpty());
}

TEST_F(Product, EmptyStartupNameFailsWithTheUnknownExtension) {
    UseRootWindow();
    TLxWallpaper empty;
    try {
        App->ApplyWallpaper(empty);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& error) {
        EXPECT_EQ(error.Message(), "Unknown picture file extension (.)");
    }
    EXPECT_TRUE(empty.FileName.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(App->CacheFolder + "VL%.bmp"));
}

TEST_F(Product, FailedConversionKeepsThePreviousCacheFile) {
    const QString gif = Picture("same.gif", SmallGif());
    const QString cache = GetCacheFileName(gif);
    ASSERT_TRUE(App->ConvertToBitmap(gif, cache));
    QFile previous(cache);
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    const QByteArray before = previous.readAll();
    Write(gif, QByteArray("GIF89a") + QByteArray(3, '\0'));
    EXPECT_THROW(App->ConvertToBitmap(gif, cache), Exception);
    QFile after(cache);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(QDir(App->CacheFolder).entryList(QDir::Files), QStringList{"VL%same.bmp"});
    EXPECT_FALSE(App->ConvertToBitmap(cache, App->CacheFolder + "../Velloria/VL%same.bmp"));
}

TEST_F(Product, CleanupKeepsTheTwoRecordsAndForeignFiles) {
    const QString folder = App->CacheFolder;
    for (const char* name : {"VL%chosen.bmp", "VL%startup.bmp", "VL%old1.bmp", "VL%old2.bmp",
                             "VL%old3.bmp", "notes.txt", "VL%keep.gif", "vl-other.bmp"})
        Write(folder + name, "x");
    QDir().mkpath(folder + "VL%folder.bmp");
    App->ChosenWallpaper->FileName = folder + "VL%chosen.bmp";
    App->StartupWallpaper->FileName = folder + "./VL%startup.bmp";
    App->CleanupCache();
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList{"VL%chosen.bmp", "VL%folder.bmp", "VL%keep.gif", "VL%startup.bmp",
                                 "notes.txt", "vl-other.bmp"}));
}

TEST_F(Product, CleanupKnowsTheRecordsFilesThroughLinksAndItsOwnNamesByCase) {
    const QString folder = App->CacheFolder;
    for (const char* name : {"VL%startup.bmp", "VL%chosen.bmp", "VL%old.bmp", "vl%Mine.BMP",
                             "VL%Mine.BMP", "vl%mine.bmp", "Vl%x.bmp"})
        Write(folder + name, "x");
    // The start-up record reaches the cache through a linked folder, the chosen one through a
    // linked file.
    ASSERT_TRUE(QFile::link(folder, Home.path() + "/cache-link"));
    App->StartupWallpaper->FileName = Home.path() + "/cache-link/VL%startup.bmp";
    ASSERT_TRUE(QFile::link(folder + "VL%chosen.bmp", Pictures + "chosen.bmp"));
    App->ChosenWallpaper->FileName = Pictures + "chosen.bmp";
    App->CleanupCache();
    QStringList left = QDir(folder).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{"VL%Mine.BMP", "VL%chosen.bmp", "VL%startup.bmp", "Vl%x.bmp",
                                 "vl%Mine.BMP", "vl%mine.bmp"}));

    App->StartupWallpaper->FileName.clear();
    App->ChosenWallpaper->FileName = folder + "VL%gone.bmp";
    App->CleanupCache();
    EXPECT_FALSE(QFileInfo::exists(folder + "VL%chosen.bmp"));
    EXPECT_FALSE(QFileInfo::exists(folder + "VL%startup.bmp"));
}
