// The image viewer window: its shape, the picture area's limits, and a large picture shown at
// its own size, centred and cut off by the window.

#include "FImage.h"
#include "Help.h"
#include "LxForms.h"
#include "PictureFormats.h"

#include <QFile>
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
    // A paint of only a 50 x 50 part around the red square draws that part where it lies in
    // the picture, not from the picture's corner.
    const QImage part = form.imgMain->grab(QRect(200, 190, 50, 50)).toImage();
    ASSERT_EQ(part.size(), QSize(50, 50));
    EXPECT_EQ(part.pixelColor(24, 17), QColor(Qt::red));
    EXPECT_EQ(part.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(part.pixelColor(49, 49), QColor(Qt::green));
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

TEST_F(ImageViewer, PictureThatCannotBeDecodedIsReportedNamingTheFile) {
    // A JPEG whose header reads but whose data refers to a table it never defines: loading
    // succeeds, showing fails with the file's name and the decoder's message.
    QTemporaryDir folder;
    const QString good = folder.filePath(QStringLiteral("good.bmp"));
    QImage(20, 10, QImage::Format_RGB32).save(good, "BMP");
    QImage source(64, 48, QImage::Format_RGB32);
    source.fill(Qt::cyan);
    const QString jpegName = folder.filePath(QStringLiteral("broken.jpg"));
    ASSERT_TRUE(source.save(jpegName, "JPEG"));
    QFile file(jpegName);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    // The first component's table selector: marker, length, precision, size, count, id, sampling.
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    bytes[frame + 12] = 3;
    file.seek(0);
    file.write(bytes);
    file.close();

    TPicture picture;
    picture.LoadFromFile(jpegName);
    ASSERT_EQ(picture.Width(), 64);
    TImageForm form;
    TPicture shown;
    shown.LoadFromFile(good);
    form.SetPicture(shown, good);
    try {
        form.SetPicture(picture, jpegName);
        FAIL() << "an undecodable picture was shown";
    } catch (const EInvalidGraphic& error) {
        EXPECT_TRUE(error.Message().startsWith(
            QStringLiteral("Cannot show \"%1\". JPEG error #").arg(jpegName)))
            << error.Message().toStdString();
    }
    EXPECT_EQ(form.Picture().Graphic(), nullptr);
}
