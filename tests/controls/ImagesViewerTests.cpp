// The folder scan, the items made on demand and the two roads of a picture that cannot be read.
#include "ViewerTestSupport.h"

#include "Picture.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

QStringList Names(TJvImagesViewer& viewer) {
    QStringList names;
    for (int i = 0; i < viewer.Count(); ++i)
        names << QFileInfo(viewer.Items(i)->FileName()).fileName();
    return names;
}

struct ListingCase {
    const char* Name;
    QStringList Files;
    QStringList Folders;
    QString Mask; // empty: the viewer's default mask of every registered format
    QStringList Expected;
};

void PrintTo(const ListingCase& listing, std::ostream* out) {
    *out << listing.Name;
}

class Listing : public ::testing::TestWithParam<ListingCase> {};

} // namespace

TEST_P(Listing, ListsTheMatchingFilesInCaseBlindOrder) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    for (const QString& file : GetParam().Files)
        WriteBytes(dir, file, "x");
    for (const QString& folder : GetParam().Folders)
        ASSERT_TRUE(QDir(dir.path()).mkdir(folder));
    TJvImagesViewer viewer;
    if (!GetParam().Mask.isEmpty())
        viewer.SetFileMask(GetParam().Mask);
    viewer.SetDirectory(dir.path());
    ASSERT_EQ(Names(viewer), GetParam().Expected);
    for (int i = 0; i < viewer.Count(); ++i)
        EXPECT_EQ(viewer.Items(i)->FileName(), dir.path() + "/" + GetParam().Expected[i]);
}

INSTANTIATE_TEST_SUITE_P(
    ImagesViewer, Listing,
    ::testing::Values(
        ListingCase{
            "CaseIgnored", {"b.JPG", "A.bmp", "c.gif"}, {}, "", {"A.bmp", "b.JPG", "c.gif"}},
        ListingCase{"CapitalsNotFirst",
                    {"C.gif", "b2.gif", "a.gif", "B.gif"},
                    {},
                    "",
                    {"a.gif", "B.gif", "b2.gif", "C.gif"}},
        ListingCase{"TwoPatternsOneFile", {"a.jpg"}, {}, "*.jp*;*.jpg", {"a.jpg"}},
        ListingCase{"RepeatedPattern", {"a.jpg"}, {}, "*.jpg;*.JPG", {"a.jpg"}},
        ListingCase{
            "FolderSkippedHiddenKept", {".h.jpg", "y.ico"}, {"x.jpg"}, "", {".h.jpg", "y.ico"}},
        ListingCase{"BlankAfterCommaBelongsToPattern",
                    {"a.bmp", "b.ico", " c.ico"},
                    {},
                    "*.bmp, *.ico",
                    {" c.ico", "a.bmp"}},
        ListingCase{"QuestionMarkOneCharacter", {"a1.gif", "a22.gif"}, {}, "a?.gif", {"a1.gif"}},
        ListingCase{"OtherExtensionsLeftOut", {"a.xcf", "b.txt", "c.jpe"}, {}, "", {}},
        ListingCase{"EmptyPatternsOnly", {"a.bmp"}, {}, ";,;", {}},
        ListingCase{"StarAloneListsEveryFile", {"a.txt", "b"}, {"c"}, "*", {"a.txt", "b"}},
        ListingCase{"EndingMayBeTheWholeName", {"jpg", ".jpg", "xjpg"}, {}, "*.jpg", {".jpg"}},
        ListingCase{"EndingWithoutDot", {"xjpg", "x.jpeg"}, {}, "*JPG", {"xjpg"}},
        ListingCase{"EndingCaseBlindBeyondAscii",
                    {"a.\u00c4BC", "b.\u00e4bc", "c.abc"},
                    {},
                    "*.\u00e4Bc",
                    {"a.\u00c4BC", "b.\u00e4bc"}},
        ListingCase{"WildcardsAfterTheStar",
                    {"a.jpg", "a.jpeg", "b.png", "c.gif"},
                    {},
                    "*.jp?;*.*g",
                    {"a.jpeg", "a.jpg", "b.png"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Which of the two comes first is the locale's case order; both are there, before b.jpg.
TEST(ImagesViewer, NamesEqualButForCaseAreBothListed) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    for (const char* name : {"b.jpg", "A.JPG", "a.jpg"})
        WriteBytes(dir, name, "x");
    TJvImagesViewer viewer;
    viewer.SetDirectory(dir.path());
    const QStringList names = Names(viewer);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(QSet<QString>(names.begin(), names.begin() + 2), (QSet<QString>{"a.jpg", "A.JPG"}));
    EXPECT_EQ(names[2], "b.jpg");
}

TEST(ImagesViewer, MissingFolderGivesNoItems) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    TJvImagesViewer viewer;
    viewer.SetDirectory(dir.filePath("missing"));
    EXPECT_EQ(viewer.Count(), 0);
}

TEST(ImagesViewer, LinkToAFolderIsSkippedLinkToAFileListed) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    WriteBytes(dir, "a.bmp", "x");
    ASSERT_TRUE(QFile::link(dir.filePath("real"), dir.filePath("folder.bmp")));
    ASSERT_TRUE(QFile::link(dir.filePath("a.bmp"), dir.filePath("b.bmp")));
    ASSERT_TRUE(QFile::link(dir.filePath("gone"), dir.filePath("c.bmp")));
    TJvImagesViewer viewer;
    viewer.SetDirectory(dir.path());
    EXPECT_EQ(Names(viewer), (QStringList{"a.bmp", "b.bmp", "c.bmp"}));
}

TEST(ImagesViewer, EmptyDirectoryListsTheCurrentFolderWithBareNames) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    WriteBytes(dir, "here.bmp", "x");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    TJvImagesViewer viewer;
    viewer.SetFileMask("*.bmp");
    QDir::setCurrent(previous);
    ASSERT_EQ(viewer.Count(), 1);
    EXPECT_EQ(viewer.Items(0)->FileName(), "here.bmp");
}

// Only a real change of the text rescans; letter case counts.
TEST(ImagesViewer, SettersRescanOnlyOnAChange) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    WriteBytes(dir, "a.bmp", "x");
    TJvImagesViewer viewer;
    int scans = 0;
    viewer.OnLoadBegin = [&scans](TJvImagesViewer*) { ++scans; };
    viewer.SetDirectory(dir.path());
    viewer.SetDirectory(dir.path());
    EXPECT_EQ(scans, 1);
    viewer.SetDirectory(dir.path().toUpper());
    EXPECT_EQ(scans, 2);
    viewer.SetDirectory(dir.path());
    viewer.SetFileMask(viewer.FileMask());
    EXPECT_EQ(scans, 3);
    viewer.SetFileMask("*.BMP");
    viewer.SetFileMask("*.bmp");
    EXPECT_EQ(scans, 5);
}

TEST(ImagesViewer, RescanClearsTheSelection) {
    QTemporaryDir dir;
    WriteBmp(dir, "a.bmp", QSize(4, 4));
    WriteBmp(dir, "b.bmp", QSize(4, 4));
    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    viewer->SetSelectedIndex(1);
    ASSERT_TRUE(viewer->Items(1)->State().testFlag(cdsSelected));
    viewer->SetFileMask("*.bmp");
    EXPECT_EQ(viewer->SelectedIndex(), -1);
    EXPECT_FALSE(viewer->Items(1)->State().testFlag(cdsSelected));
}

// The scan reads no picture and makes no item; painting makes and loads only what is in view.
TEST(ImagesViewer, ItemsAndPicturesAreMadeOnlyForCellsInView) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    constexpr int Files = 50000;
    for (int i = 0; i < Files; ++i) {
        const QByteArray name =
            QFile::encodeName(dir.filePath(QString("p%1.bmp").arg(i, 5, 10, QChar('0'))));
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    TJvImagesViewer hidden;
    hidden.SetDirectory(dir.path());
    ASSERT_EQ(hidden.Count(), Files);
    int made = 0;
    for (int i = 0; i < Files; ++i)
        made += hidden.ItemList().Existing(i) != nullptr;
    EXPECT_EQ(made, 0);

    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    Grab(*viewer);
    made = 0;
    for (int i = 0; i < Files; ++i)
        made += viewer->ItemList().Existing(i) != nullptr;
    EXPECT_GT(made, 0);
    EXPECT_LE(made, viewer->LastVisibleIndex() + 1);
}

TEST(ImagesViewer, AnIndexOutsideTheListIsAnError) {
    RegisterFormatsOnce();
    TJvImagesViewer viewer;
    EXPECT_THROW(viewer.Items(0), EListError);
    EXPECT_THROW(viewer.Items(-1), EListError);
}

// Without a hook, or with one that leaves Handled false, the error leaves the access and the item
// keeps an empty picture that is not read again.
TEST(ImagesViewer, LoadErrorWithoutHandlingLeavesTheAccess) {
    for (const bool withHook : {false, true}) {
        RegisterFormatsOnce();
        QTemporaryDir dir;
        WriteBytes(dir, "bad.bmp", "not a bitmap");
        TJvImagesViewer viewer;
        QStringList seen;
        if (withHook)
            viewer.OnLoadError = [&seen](TJvImagesViewer*, const std::exception& e,
                                         const QString& fileName, bool& handled) {
                EXPECT_FALSE(handled);
                seen << fileName << QString::fromUtf8(e.what());
            };
        viewer.SetDirectory(dir.path());
        EXPECT_THROW(viewer.Items(0)->Picture(), EInvalidGraphic);
        TPicture* kept = viewer.Items(0)->Picture();
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->Graphic(), nullptr);
        EXPECT_EQ(seen, withHook
                            ? QStringList({dir.filePath("bad.bmp"), "Bitmap image is not valid"})
                            : QStringList());
    }
}

// A handling hook: the item is marked, its removal posted; the selection is pulled back in.
TEST(ImagesViewer, HandledLoadErrorRemovesTheItem) {
    QTemporaryDir dir;
    WriteBmp(dir, "a.bmp", QSize(4, 4));
    WriteBytes(dir, "b.bmp", "not a bitmap");
    auto viewer = ShownViewer();
    viewer->OnLoadError = [](TJvImagesViewer*, const std::exception&, const QString&,
                             bool& handled) { handled = true; };
    QStringList deleted;
    viewer->OnDeletion = [&deleted](TJvCustomItemViewer*, TJvViewerItem* item) {
        deleted << static_cast<TJvPictureItem*>(item)->FileName();
    };
    viewer->SetDirectory(dir.path());
    viewer->SetSelectedIndex(1);
    TJvPictureItem* bad = viewer->Items(1);
    EXPECT_EQ(bad->Picture(), nullptr);
    EXPECT_TRUE(bad->Deleting());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->Count() == 1; }, Deadline));
    EXPECT_EQ(deleted, QStringList{dir.filePath("b.bmp")});
    EXPECT_EQ(viewer->SelectedIndex(), 0);
    EXPECT_EQ(viewer->Items(0)->FileName(), dir.filePath("a.bmp"));
}

TEST(ImagesViewer, MissingFileOrFolderGivesAnEmptyPictureWithoutError) {
    RegisterFormatsOnce();
    QTemporaryDir dir;
    WriteBmp(dir, "a.bmp", QSize(4, 4));
    WriteBmp(dir, "b.bmp", QSize(4, 4));
    TJvImagesViewer viewer;
    viewer.SetDirectory(dir.path());
    ASSERT_TRUE(QFile::remove(dir.filePath("a.bmp")));
    ASSERT_TRUE(QFile::remove(dir.filePath("b.bmp")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("b.bmp"));
    for (int i = 0; i < 2; ++i) {
        TPicture* picture = viewer.Items(i)->Picture();
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Graphic(), nullptr);
        EXPECT_EQ(picture->Width(), 0);
    }
}

// An item that may not change keeps its name and its picture.
TEST(ImagesViewer, ItemChangingHookCanRefuse) {
    QTemporaryDir dir;
    WriteBmp(dir, "a.bmp", QSize(4, 4));
    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    TJvPictureItem* item = viewer->Items(0);
    ASSERT_NE(item->Picture()->Graphic(), nullptr);
    viewer->OnItemChanging = [](TJvCustomItemViewer*, TJvViewerItem*, bool& allow) {
        EXPECT_TRUE(allow);
        allow = false;
    };
    item->SetFileName(dir.filePath("b.bmp"));
    item->ReduceMemory();
    EXPECT_EQ(item->FileName(), dir.filePath("a.bmp"));
    EXPECT_NE(item->PictureIfLoaded(), nullptr);
    viewer->OnItemChanging = nullptr;
    item->ReduceMemory();
    EXPECT_EQ(item->PictureIfLoaded(), nullptr);
}
