// The image viewer window: its shape, the picture area's limits, and a large picture shown at
// its own size, centred and cut off by the window.

#include "FImage.h"
#include "Help.h"
#include "LxForms.h"
#include "PictureFormats.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// A BMP file of the given size: blue, with a green block of 600 × 500 around the centre and a
// red 10 × 10 square at the centre itself.
QString LargeBmp(const QTemporaryDir& folder, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter painter(&image);
    const QPoint centre(width / 2, height / 2);
    painter.fillRect(QRect(centre - QPoint(300, 250), QSize(600, 500)), Qt::green);
    painter.fillRect(QRect(centre - QPoint(5, 5), QSize(10, 10)), Qt::red);
    painter.end();
    const QString path = folder.filePath(QStringLiteral("large.bmp"));
    image.save(path, "BMP");
    return path;
}

class ImageViewer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterPictureFormats(); }
};
} // namespace

TEST_F(ImageViewer, Shape) {
    TImageForm form;
    EXPECT_EQ(form.windowTitle(), "Image Viewer");
    EXPECT_EQ(GetHelpContext(&form), 2100);
    EXPECT_EQ(form.size(), QSize(449, 415));
    EXPECT_EQ(form.font().family(), "Tahoma");
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_NE(form.minimumSize(), form.maximumSize());
}

TEST_F(ImageViewer, PictureAreaFollowsTheWindowBetween64And1024) {
    const struct {
        QSize Client;
        QSize Area;
    } cases[] = {
        {{449, 415}, {449, 415}},     {{30, 20}, {64, 64}},       {{64, 1024}, {64, 1024}},
        {{1500, 1100}, {1024, 1024}}, {{2000, 300}, {1024, 300}}, {{63, 1025}, {64, 1024}},
    };
    TImageForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (const auto& c : cases) {
        form.resize(c.Client);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.size() == c.Client; }));
        EXPECT_EQ(form.imgMain->geometry(), QRect(QPoint(0, 0), c.Area)) << c.Client.width();
    }
}

TEST_F(ImageViewer, LargePictureShowsItsCentreClippedWithoutScrollBars) {
    QTemporaryDir folder;
    TPicture picture;
    picture.LoadFromFile(LargeBmp(folder, 2000, 1500));
    TImageForm form;
    form.SetPicture(picture);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QImage shot = form.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(449, 415));
    // The window sees x 775…1224 and y 542…957 of the picture: all inside the green block, the
    // red centre square in the middle, nothing of the blue.
    EXPECT_EQ(shot.pixelColor(224, 207), QColor(Qt::red));
    for (const QPoint corner : {QPoint(0, 0), QPoint(448, 0), QPoint(0, 414), QPoint(448, 414)})
        EXPECT_EQ(shot.pixelColor(corner), QColor(Qt::green)) << corner.x() << "," << corner.y();
    // A scroll bar would paint over the right and bottom edges.
    for (int y = 0; y < shot.height(); y += 7)
        ASSERT_EQ(shot.pixelColor(448, y), QColor(Qt::green)) << y;
    for (int x = 0; x < shot.width(); x += 7)
        ASSERT_EQ(shot.pixelColor(x, 414), QColor(Qt::green)) << x;
    EXPECT_TRUE(form.findChildren<QScrollBar*>().isEmpty());
}

TEST_F(ImageViewer, KeepsItsOwnCopyAndClosingOnlyHides) {
    QTemporaryDir folder;
    auto picture = std::make_unique<TPicture>();
    picture->LoadFromFile(LargeBmp(folder, 700, 600));
    TImageForm form;
    form.SetPicture(*picture);
    picture.reset();
    EXPECT_EQ(form.Picture().Width(), 700);
    EXPECT_EQ(form.Picture().Height(), 600);
    QPointer<TImageForm> alive(&form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(alive);
    // Shown again, it shows the same picture.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.grab().toImage().pixelColor(224, 207), QColor(Qt::red));
}
