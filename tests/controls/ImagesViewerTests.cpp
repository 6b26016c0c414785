#include "ViewerTestSupport.h"

#include "Picture.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(ImagesViewerSmoke, ListsAndPaints) {
    QTemporaryDir dir;
    WriteBmp(dir, "b.bmp", QSize(200, 100));
    WriteJpeg(dir, "a.jpg", QSize(60, 200));
    auto viewer = ShownViewer();
    viewer->SetDirectory(dir.path());
    ASSERT_EQ(viewer->Count(), 2);
    EXPECT_EQ(viewer->Items(0)->FileName(), dir.filePath("a.jpg"));
    QImage image = Grab(*viewer);
    const QRect picture = FitPicture(QSize(200, 100), viewer->PictureRect(1));
    EXPECT_EQ(QColor(image.pixel(picture.center())), QColor(Qt::red));
    image.save("/tmp/viewer-smoke.png");
}
