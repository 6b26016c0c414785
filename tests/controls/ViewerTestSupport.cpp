#include "ViewerTestSupport.h"

#include "../pictures/JpegSamples.h"
#include "BmpWriter.h"
#include "PictureFormats.h"

#include <QFile>
#include <QImage>
#include <QTest>

void RegisterFormatsOnce() {
    static const bool registered = [] {
        RegisterPictureFormats();
        return true;
    }();
    (void)registered;
}

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

QByteArray BmpBytes(QSize size, QColor colour) {
    TDib dib;
    dib.Image = QImage(size, QImage::Format_RGB32);
    dib.Image.fill(colour);
    dib.BitsPerPixel = 24;
    return WriteBmp(dib);
}

QString WriteBmp(const QTemporaryDir& dir, const QString& name, QSize size, QColor colour) {
    return WriteBytes(dir, name, BmpBytes(size, colour));
}

QString WriteJpeg(const QTemporaryDir& dir, const QString& name, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return WriteBytes(dir, name, MakeJpeg(image));
}

QString WriteDamagedJpeg(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);
    return WriteBytes(dir, name, WithUndefinedQuantTable(MakeJpeg(image)));
}

QString WriteJpegClaiming(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    return WriteBytes(dir, name, WithSize(MakeJpeg(image), size.width(), size.height()));
}

std::unique_ptr<TJvImagesViewer> ShownViewer(QSize size) {
    RegisterFormatsOnce();
    auto viewer = std::make_unique<TJvImagesViewer>();
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    viewer->setFont(font);
    viewer->Options().SetWidth(108);
    viewer->Options().SetHeight(108);
    viewer->Options().SetImagePadding(4);
    viewer->Options().SetReduceMemoryUsage(true);
    viewer->resize(size);
    viewer->show();
    if (!QTest::qWaitForWindowExposed(viewer.get()))
        throw std::runtime_error("the viewer was never shown");
    return viewer;
}

QImage Grab(TJvImagesViewer& viewer) {
    return viewer.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool AllInViewArrived(TJvImagesViewer& viewer) {
    // The paint hands out the work for the cells still waiting.
    Grab(viewer);
    const QRect client = viewer.viewport()->rect();
    for (int i = 0; i < viewer.Count(); ++i)
        if (viewer.ItemRect(i).intersects(client) &&
            viewer.Items(i)->CellState() == TJvPictureItem::TCellState::csWaiting)
            return false;
    return true;
}

QImage GrabWhenRead(TJvImagesViewer& viewer) {
    if (!QTest::qWaitFor([&] { return AllInViewArrived(viewer); }, Deadline))
        throw std::runtime_error("the pictures in view never arrived");
    return Grab(viewer);
}
