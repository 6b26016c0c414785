// velloria-thumbnails FOLDER WIDTH HEIGHT OUT.png: shows the folder in the program's thumbnail
// viewer, offscreen, at that outer size and with the main window's settings; waits until every
// picture in view is painted and saves what the viewer shows as a PNG. Prints one line:
// "OUT.png: 433 x 470, 12 of 300 pictures in view".
// Exit 1, the reason on standard error, when the folder cannot be listed, the PNG cannot be
// written, or a picture in view cannot be read (its cell is drawn empty, the PNG still written).
// Bad arguments print the usage and exit 2.
#include "JvImagesViewer.h"
#include "OffscreenViewer.h"
#include "Picture.h"
#include "PictureFormats.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QImage>
#include <QTextStream>
#include <QWindow>

#include <cerrno>
#include <cstring>

#include <dirent.h>

namespace {

constexpr int MaxSide = 16384;
// The viewer is shown on Qt's offscreen platform, which exposes a window at once.
constexpr int ShowDeadlineMs = 10000;

int Usage() {
    QTextStream(stderr) << "usage: velloria-thumbnails FOLDER WIDTH HEIGHT OUT.png\n";
    return 2;
}

int Fail(const QString& message) {
    QTextStream(stderr) << "velloria-thumbnails: " << message << '\n';
    return 1;
}

// The whole number in text when it lies in 1 .. MaxSide, else 0.
int ToSide(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 1 && value <= MaxSide ? value : 0;
}

// Empty when the folder can be listed, else why not.
QString ListingError(const QString& folder) {
    DIR* listing = ::opendir(QFile::encodeName(folder).constData());
    if (!listing)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::closedir(listing);
    return {};
}

bool Show(TJvImagesViewer& viewer) {
    viewer.show();
    const QDeadlineTimer deadline(ShowDeadlineMs);
    while (!viewer.windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return viewer.windowHandle()->isExposed();
}

// Paints until a paint draws what the one before it drew with every picture in view read: a
// picture that fails ends its paint, and the next one draws its cell empty and goes on.
QImage PaintedView(TJvImagesViewer& viewer) {
    const int attempts = int(CellsInView(viewer).size()) + 3;
    QImage previous;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        QCoreApplication::processEvents();
        QImage shot = viewer.grab().toImage();
        if (AllInViewRead(viewer) && shot == previous)
            break;
        previous = std::move(shot);
    }
    return previous;
}

// The files in view that exist but gave no picture; the viewer has reported why.
QStringList Unreadable(const TJvImagesViewer& viewer) {
    QStringList files;
    for (const int i : CellsInView(viewer)) {
        const TJvPictureItem* item = ExistingItem(viewer, i);
        const TPicture* picture = item ? item->PictureIfLoaded() : nullptr;
        if (picture && !picture->Graphic() && QFileInfo(item->FileName()).isFile())
            files << item->FileName();
    }
    return files;
}

int Run(const QString& folder, QSize size, const QString& outName) {
    if (const QString why = ListingError(folder); !why.isEmpty())
        return Fail(QStringLiteral("cannot list the folder \"%1\": %2").arg(folder, why));
    RegisterPictureFormats();
    TJvImagesViewer viewer;
    SetUpLikeMainWindow(viewer);
    viewer.resize(size);
    if (!Show(viewer))
        return Fail(QStringLiteral("the viewer was never shown"));
    viewer.SetDirectory(folder);
    const QImage view = PaintedView(viewer);
    if (!view.save(outName, "PNG"))
        return Fail(QStringLiteral("cannot write \"%1\"").arg(outName));
    QTextStream(stdout) << QStringLiteral("%1: %2 x %3, %4 of %5 pictures in view\n")
                               .arg(outName)
                               .arg(view.width())
                               .arg(view.height())
                               .arg(CellsInView(viewer).size())
                               .arg(viewer.Count());
    const QStringList unreadable = Unreadable(viewer);
    for (const QString& file : unreadable)
        Fail(QStringLiteral("cannot read \"%1\"; its cell is empty").arg(file));
    return unreadable.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 4)
        return Usage();
    const int width = ToSide(args[1]);
    const int height = ToSide(args[2]);
    if (width == 0 || height == 0)
        return Usage();
    try {
        return Run(args[0], QSize(width, height), args[3]);
    } catch (const Exception& error) {
        return Fail(error.ClassName() + QStringLiteral(": ") + error.Message());
    }
}
