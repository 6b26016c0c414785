// The main window over a real X server's root window, with real picture files: the status-bar
// rule, when the commands are enabled, what Change, Restore, View and Options do, and the
// selection a click on empty space keeps.

#include "../HelpCatcher.h"
#include "../MessageBoxWatcher.h"
#include "../ModalLoop.h"
#include "../TestReports.h"
#include "../TestXvfb.h"
#include "AppShell.h"
#include "DesktopFactory.h"
#include "FImage.h"
#include "FMain.h"
#include "FOptions.h"
#include "Global.h"
#include "Help.h"
#include "JvDirectoryListBox.h"
#include "JvImagesViewer.h"
#include "LxButtons.h"
#include "PictureFormats.h"
#include "SpinEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class MainForm : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QString Pictures = Home.path() + "/pictures";
    TTestXvfb Xvfb;
    std::unique_ptr<TApplication> Shell;
    std::unique_ptr<TVelloriaApp> App;
    std::unique_ptr<TMainForm> Form;
    std::unique_ptr<TImageForm> Image;

    static void SetUpTestSuite() { RegisterPictureFormats(); }

    void SetUp() override {
        ASSERT_FALSE(Xvfb.Display().isEmpty());
        qputenv("XDG_CONFIG_HOME", (Home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (Home.path() + "/data").toUtf8());
        qputenv("DISPLAY", Xvfb.Display().toUtf8());
        QDir().mkpath(Pictures);
        for (const auto& [name, colour] :
             {std::pair{"blue.bmp", Qt::blue}, {"green.bmp", Qt::green}, {"red.bmp", Qt::red}}) {
            QImage image(8, 6, QImage::Format_RGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(Pictures + "/" + name, "BMP"));
        }
        // The shell and the windows first, then the product object, as the program starts.
        Shell = std::make_unique<TApplication>();
        Shell->HelpFile = QStringLiteral("velloria.chm");
        Form = std::make_unique<TMainForm>();
        Shell->MainForm = Form.get();
        Image = std::make_unique<TImageForm>();
        ImageForm = Image.get();
        App = std::make_unique<TVelloriaApp>();
        VelloriaApp = App.get();
        App->ActiveDesktop = std::make_unique<TActiveDesktop>(
            CreateDesktopWallpaper(TDesktopKind::X11Root, App->CacheFolder));
        App->LastFolder = Pictures;
        // The desktop's own wallpaper when the program starts: green, stretched.
        ASSERT_TRUE(App->ActiveDesktop->SetWallpaper(Path("green.bmp"), wsStretched));
    }
    void TearDown() override {
        Form.reset();
        ImageForm = nullptr;
        Image.reset();
        VelloriaApp = nullptr;
        App.reset();
        Shell.reset();
    }

    void Show() {
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }
    QString Path(const QString& name) const { return Pictures + "/" + name; }
    // Runs an event loop that blocks between checks, so that the application goes idle as it
    // does between a person's inputs, until the condition holds (at most 10 s).
    static bool Idle(const std::function<bool()>& condition) {
        QEventLoop loop;
        QTimer check;
        const QDeadlineTimer deadline(10000);
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (condition() || deadline.hasExpired())
                loop.quit();
        });
        check.start(5);
        loop.exec();
        return condition();
    }
    QString Status() const { return Form->appStatusBar->currentMessage(); }
    QRect Cell(int index) const { return Form->ctlThumbnails->CellRect(index); }
    void Click(const QPoint& point) {
        QTest::mouseClick(Form->ctlThumbnails->viewport(), Qt::LeftButton, {}, point);
    }
    QPair<QString, TLxWallpaperStyle> Desktop() const {
        QString file;
        TLxWallpaperStyle style = wsTiled;
        EXPECT_TRUE(App->ActiveDesktop->GetWallpaper(file, style));
        return {file, style};
    }
};
} // namespace

TEST_F(MainForm, StatusBarShowsTheFolderUntilIdleThenTheSelectedPicture) {
    Show();
    // The folder list went to the last folder while the window was shown, before any idle.
    EXPECT_EQ(Form->ctlThumbnails->Directory(), Pictures);
    EXPECT_EQ(Form->ctlThumbnails->Count(), 3);
    EXPECT_EQ(Status(), Pictures);
    EXPECT_TRUE(Idle([&] { return Status().isEmpty(); }));
    Form->ctlThumbnails->SetSelectedIndex(2);
    EXPECT_TRUE(Idle([&] { return Status() == Path("red.bmp"); }));
}

TEST_F(MainForm, CommandsFollowTheSelectionAndTheChangeFlag) {
    Show();
    EXPECT_TRUE(Idle([&] { return !Form->cmdWallpaperView->isEnabled(); }));
    EXPECT_FALSE(Form->cmdWallpaperChange->isEnabled());
    EXPECT_FALSE(Form->cmdWallpaperRestore->isEnabled());
    EXPECT_TRUE(Form->cmdHelpContents->isEnabled()) << "the shell has a help file";
    // A disabled command runs from no trigger, the shortcut included.
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QTest::keyClick(Form.get(), Qt::Key_W, Qt::ControlModifier);
    Form->cmdWallpaperChange->trigger();
    EXPECT_TRUE(App->ChosenWallpaper->FileName.isEmpty());
    EXPECT_FALSE(Form->WallpaperChanged());

    Form->ctlThumbnails->SetSelectedIndex(0);
    EXPECT_TRUE(Idle([&] { return Form->cmdWallpaperChange->isEnabled(); }));
    EXPECT_TRUE(Form->cmdWallpaperView->isEnabled());
    QTest::keyClick(Form.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(App->ChosenWallpaper->FileName, Path("blue.bmp"));
    EXPECT_TRUE(Idle([&] { return Form->cmdWallpaperRestore->isEnabled(); }));
    QTest::keyClick(Form.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(Idle([&] { return !Form->cmdWallpaperRestore->isEnabled(); }));
    EXPECT_FALSE(Form->WallpaperChanged());
}

TEST_F(MainForm, RestorePutsBackTheStartUpStyleWhateverTheStyleChoiceShows) {
    Show();
    EXPECT_EQ(App->StartupWallpaper->FileName, Path("green.bmp"));
    EXPECT_EQ(Form->cbxStyle->currentIndex(), 0) << "the style choice starts at Tiled";
    EXPECT_EQ(Form->cbxStyle->count(), WallpaperStyleCount);
    for (TLxWallpaperStyle style : {wsTiled, wsCentered, wsStretched, wsZoomed, wsScaled}) {
        Form->ctlThumbnails->SetSelectedIndex(2);
        Form->cbxStyle->setCurrentIndex(style);
        ASSERT_TRUE(Idle([&] { return Form->cmdWallpaperChange->isEnabled(); }));
        Form->cmdWallpaperChange->trigger();
        EXPECT_EQ(Desktop(), qMakePair(Path("red.bmp"), style));
        ASSERT_TRUE(Idle([&] { return Form->cmdWallpaperRestore->isEnabled(); }));
        Form->cmdWallpaperRestore->trigger();
        EXPECT_EQ(Desktop(), qMakePair(Path("green.bmp"), wsStretched));
    }
}

// The screen shows the new picture although its choice cannot be kept for the next login: the
// box says what is lost, not that the desktop refused, and Restore is the way back.
TEST_F(MainForm, ChangeWhoseChoiceCannotBeKeptIsToldAndRestoreStaysTheWayBack) {
    QFile blocker(Home.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where a folder should be";
    blocker.close();
    App->ActiveDesktop = std::make_unique<TActiveDesktop>(
        CreateDesktopWallpaper(TDesktopKind::X11Root, blocker.fileName() + "/state"));
    Show();
    TMessageBoxWatcher boxes;
    boxes.Answer = [](QMessageBox& box) { box.accept(); };
    Form->ctlThumbnails->SetSelectedIndex(2);
    ASSERT_TRUE(Idle([&] { return Form->cmdWallpaperChange->isEnabled(); }));
    Form->cmdWallpaperChange->trigger();
    ASSERT_EQ(boxes.Seen.size(), 1);
    EXPECT_TRUE(boxes.Seen[0].Text.startsWith("The wallpaper is shown, but cannot "))
        << boxes.Seen[0].Text.toStdString();
    EXPECT_TRUE(boxes.Seen[0].Text.endsWith(", so it will not come back at the next login"))
        << boxes.Seen[0].Text.toStdString();
    EXPECT_EQ(Desktop().first, Path("red.bmp"));
    EXPECT_EQ(App->ChosenWallpaper->FileName, Path("red.bmp"));
    ASSERT_TRUE(Idle([&] { return Form->cmdWallpaperRestore->isEnabled(); }));
    Form->cmdWallpaperRestore->trigger();
    EXPECT_EQ(Desktop(), qMakePair(Path("green.bmp"), wsStretched));
    EXPECT_EQ(boxes.Seen.size(), 2) << "the restored choice is not kept either";
}

// A second start hands its folder over: the window shows it and comes forward.
TEST_F(MainForm, OpenFolderShowsTheFolderAndBringsTheWindowForward) {
    QDir().mkpath(Home.path() + "/other");
    Show();
    Form->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form->isMinimized(); }));
    Form->OpenFolder(Home.path() + "/other");
    EXPECT_EQ(Form->lbFolders->Directory(), Home.path() + "/other");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Form->isMinimized(); }));
    Form->OpenFolder(QString());
    EXPECT_EQ(Form->lbFolders->Directory(), Home.path() + "/other")
        << "no folder keeps the shown one";
}

TEST_F(MainForm, OptionsConfirmedResizeTheCellsAtOnceAndCancelledChangeNothing) {
    Show();
    const struct {
        int Button;
        int Size, Padding, Width, ImagePadding;
    } cases[] = {{TLxButton::bkCancel, 120, 10, 108, 4}, {TLxButton::bkOK, 120, 10, 140, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Button);
        bool shown = false;
        QTimer::singleShot(0, Form.get(), [&] {
            QWidget* dialog = nullptr;
            ASSERT_TRUE(Idle([&] { return (dialog = QApplication::activeModalWidget()); }));
            auto* options = qobject_cast<TOptionsForm*>(dialog);
            ASSERT_NE(options, nullptr);
            WhenShown(*options, [&, options] {
                shown = true;
                options->edThumbSize->SetValue(c.Size);
                options->edThumbPadding->SetValue(c.Padding);
                for (auto* button : options->findChildren<TLxButton*>())
                    if (button->Kind() == c.Button)
                        button->click();
            });
        });
        Form->cmdToolsOptions->trigger();
        EXPECT_TRUE(shown);
        const TJvImageViewerOptions& options = Form->ctlThumbnails->Options();
        EXPECT_EQ(options.Width(), c.Width);
        EXPECT_EQ(options.Height(), c.Width);
        EXPECT_EQ(options.ImagePadding(), c.ImagePadding);
        // Painted so at once: the item less the spacing, the picture less the padding.
        const QRect item = Form->ctlThumbnails->ItemRect(0);
        EXPECT_EQ(item.width(), c.Width - options.HorzSpacing());
        EXPECT_EQ(Form->ctlThumbnails->PictureRect(0),
                  item.adjusted(c.ImagePadding, c.ImagePadding, -c.ImagePadding, -c.ImagePadding));
    }
}

TEST_F(MainForm, ClickOnEmptySpaceKeepsTheSelectionForViewAndChange) {
    Show();
    Click(Cell(1).center());
    EXPECT_EQ(Form->ctlThumbnails->SelectedIndex(), 1);
    const QPoint empty = Form->ctlThumbnails->viewport()->rect().bottomRight() - QPoint(4, 4);
    ASSERT_LT(Form->ctlThumbnails->CellIndexAt(empty.x(), empty.y()), 0);
    Click(empty);
    EXPECT_TRUE(Idle([&] { return Status() == Path("green.bmp"); }));
    EXPECT_TRUE(Form->cmdWallpaperView->isEnabled());
    EXPECT_TRUE(Form->cmdWallpaperChange->isEnabled());
    QTest::mouseDClick(Form->ctlThumbnails->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_TRUE(Idle([&] { return ImageForm->isVisible(); }));
    EXPECT_EQ(ImageForm->windowTitle(), "green.bmp");
    EXPECT_EQ(ImageForm->Picture().Width(), 8);

    // Viewing another picture fills the same window, which keeps its place.
    const QRect place = ImageForm->geometry();
    Form->ctlThumbnails->SetSelectedIndex(2);
    ASSERT_TRUE(Idle([&] { return Status() == Path("red.bmp"); }));
    Form->cmdWallpaperView->trigger();
    EXPECT_EQ(ImageForm->windowTitle(), "red.bmp");
    EXPECT_EQ(ImageForm->geometry(), place);
}

TEST_F(MainForm, ClosingStoresTheFolderAndCleansTheCacheWhenAskedWithoutRefusing) {
    Show();
    Form->ctlThumbnails->SetSelectedIndex(0);
    QFile::copy(Path("red.bmp"), App->CacheFolder + "/VL%old.bmp");
    App->ExitCleanup = true;
    App->LastFolder.clear();
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(App->LastFolder, Pictures);
    EXPECT_FALSE(QFile::exists(App->CacheFolder + "/VL%old.bmp"));
}

// Without a last folder, the list and the grid show the same folder: the user's Pictures folder,
// or the current folder when there is none. The list starts on the current folder, so the
// second case is the one where the list has nothing to change.
TEST_F(MainForm, FirstStartListsThePicturesFolderOrElseTheCurrentFolder) {
    const QByteArray savedHome = qgetenv("HOME");
    const QString savedCurrent = QDir::currentPath();
    const QString userPictures = Home.path() + "/Pictures";
    for (const bool hasPicturesFolder : {true, false}) {
        SCOPED_TRACE(hasPicturesFolder ? "Pictures folder" : "no Pictures folder");
        qputenv("HOME", Home.path().toUtf8());
        if (hasPicturesFolder) {
            QDir().mkpath(userPictures);
            ASSERT_TRUE(QFile::copy(Path("red.bmp"), userPictures + "/red.bmp"));
        }
        ASSERT_TRUE(QDir::setCurrent(Pictures));
        Form = std::make_unique<TMainForm>();
        Shell->MainForm = Form.get();
        App->LastFolder.clear();
        Show();
        const QString expected = hasPicturesFolder ? userPictures : Pictures;
        EXPECT_EQ(Form->lbFolders->Directory(), expected);
        EXPECT_EQ(Form->ctlThumbnails->Directory(), expected);
        EXPECT_EQ(Form->ctlThumbnails->Count(), hasPicturesFolder ? 1 : 3);
        EXPECT_EQ(Status(), expected);
        QDir(userPictures).removeRecursively();
    }
    qputenv("HOME", savedHome);
    QDir::setCurrent(savedCurrent);
}

// F5 lists the folder again at once; changes to the folder's files show by themselves, a burst
// of them refreshing once rather than once per file. The selection follows its file by name.
TEST_F(MainForm, RefreshAndFolderChangesShowNewFilesAndKeepTheSelectionByName) {
    Show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    const auto selected = [&] {
        const int index = Form->ctlThumbnails->SelectedIndex();
        return index < 0 ? QString() : Form->ctlThumbnails->Items(index)->FileName();
    };
    Form->ctlThumbnails->SetSelectedIndex(1);
    ASSERT_EQ(selected(), Path("green.bmp"));
    ASSERT_TRUE(QFile::copy(Path("red.bmp"), Path("aqua.bmp")));
    QTest::keyClick(Form.get(), Qt::Key_F5);
    EXPECT_EQ(Form->ctlThumbnails->Count(), 4);
    EXPECT_EQ(selected(), Path("green.bmp"));

    int scans = 0;
    Form->ctlThumbnails->OnLoadBegin = [&](TJvImagesViewer*) { ++scans; };
    ASSERT_TRUE(QFile::remove(Path("blue.bmp")));
    EXPECT_TRUE(Idle([&] { return Form->ctlThumbnails->Count() == 3; }));
    EXPECT_EQ(selected(), Path("green.bmp"));

    constexpr int burst = 20;
    scans = 0;
    for (int i = 0; i < burst; ++i)
        ASSERT_TRUE(QFile::copy(Path("red.bmp"), Path(QString("burst%1.bmp").arg(i))));
    EXPECT_TRUE(Idle([&] { return Form->ctlThumbnails->Count() == 3 + burst; }));
    EXPECT_LT(scans, burst);
    EXPECT_EQ(selected(), Path("green.bmp"));

    // The selected file itself goes: nothing is selected.
    ASSERT_TRUE(QFile::remove(Path("green.bmp")));
    EXPECT_TRUE(Idle([&] { return Form->ctlThumbnails->Count() == 2 + burst; }));
    EXPECT_EQ(Form->ctlThumbnails->SelectedIndex(), -1);
    // The menu offers the command too.
    QStringList menus;
    for (QAction* menu : Form->tbMenu->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Wallpaper", "&Tools", "&Help"}));
}

// F1 opens the page of the window in use: the main window, the image viewer, Options (About's
// page is checked with the About dialog, which needs a program file with version information).
TEST_F(MainForm, F1OpensThePageOfEachWindow) {
    THelpCatcher browser;
    Show();
    QTest::keyClick(Form->ctlThumbnails, Qt::Key_F1);
    Image->show();
    QTest::keyClick(Image.get(), Qt::Key_F1);
    Image->hide();
    // Options runs modally: F1 from inside its loop, then Escape closes it.
    QTimer::singleShot(0, Form.get(), [&] {
        QWidget* dialog = nullptr;
        ASSERT_TRUE(Idle([&] { return (dialog = QApplication::activeModalWidget()); }));
        ASSERT_NE(qobject_cast<TOptionsForm*>(dialog), nullptr);
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_F1);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Form->cmdToolsOptions->trigger();
    // Help > Contents opens the contents page.
    ASSERT_TRUE(Idle([&] { return Form->cmdHelpContents->isEnabled(); }));
    Form->cmdHelpContents->trigger();
    QStringList pages;
    for (const QUrl& url : browser.Urls)
        pages << url.toLocalFile();
    QStringList expected;
    for (const int context : {1000, 2100, 2000, 0})
        expected << HelpPageUrl(context).toLocalFile();
    EXPECT_EQ(pages.join('\n').toStdString(), expected.join('\n').toStdString());
}

// While the image viewer is the active window: Escape closes it, and the wallpaper keys do what
// they do in the main window.
TEST_F(MainForm, ImageViewerTakesEscapeAndTheWallpaperKeys) {
    Show();
    Form->ctlThumbnails->SetSelectedIndex(2);
    ASSERT_TRUE(Idle([&] { return Form->cmdWallpaperView->isEnabled(); }));
    Form->cmdWallpaperView->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ImageForm));
    QTest::keyClick(ImageForm, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(Desktop(), qMakePair(Path("red.bmp"), wsTiled));
    ASSERT_TRUE(Idle([&] { return Form->cmdWallpaperRestore->isEnabled(); }));
    QTest::keyClick(ImageForm, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Desktop(), qMakePair(Path("green.bmp"), wsStretched));
    Form->ctlThumbnails->SetSelectedIndex(0);
    ASSERT_TRUE(Idle([&] { return Status() == Path("blue.bmp"); }));
    QTest::keyClick(ImageForm, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ImageForm->windowTitle(), "blue.bmp");
    QTest::keyClick(ImageForm, Qt::Key_Escape);
    EXPECT_FALSE(ImageForm->isVisible());
}

// A picture that cannot be read: its reason, naming the file, reaches the status bar when its
// cell first fails and whenever it is selected, with no box; View and Change on it raise the
// box, naming the file.
TEST_F(MainForm, UnreadablePictureGoesToTheStatusBarAndItsCommandsToABox) {
    QFile bad(Path("bad.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BM this is no bitmap");
    bad.close();
    TReportReader reader;
    Show();
    const QString reason =
        QStringLiteral("Cannot read the picture \"%1\": Bitmap image is not valid")
            .arg(Path("bad.bmp"));
    EXPECT_TRUE(Idle([&] { return Status() == reason; })) << Status().toStdString();
    EXPECT_TRUE(reader.Texts.isEmpty()) << reader.Texts.join("; ").toStdString();
    Form->ctlThumbnails->SetSelectedIndex(1);
    EXPECT_TRUE(Idle([&] { return Status() == Path("blue.bmp"); }));
    Form->ctlThumbnails->SetSelectedIndex(0);
    EXPECT_TRUE(Idle([&] { return Status() == reason; })) << Status().toStdString();
    EXPECT_TRUE(reader.Texts.isEmpty()) << reader.Texts.join("; ").toStdString();

    Form->cmdWallpaperView->trigger();
    ASSERT_TRUE(reader.WaitForReport());
    EXPECT_EQ(reader.Texts.last(), reason);
    Form->cmdWallpaperChange->trigger();
    ASSERT_TRUE(reader.WaitForReport(2));
    EXPECT_TRUE(reader.Texts.last().contains(Path("bad.bmp"))) << reader.Texts.last().toStdString();
}
