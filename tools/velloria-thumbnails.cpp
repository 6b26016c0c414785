// velloria-thumbnails FOLDER WIDTH HEIGHT OUT.png: shows the folder in the program's thumbnail
// viewer, offscreen, at that outer size and with the main window's settings; waits until every
// picture in view has arrived from the viewer's workers (or failed) and saves what the viewer shows
// as a PNG. Prints one line: "OUT.png: 433 x 470, 12 of 300 pictures in view". Exit 1, the reason
// on standard error, when the folder cannot be listed, the PNG cannot be written, or a picture in
// view cannot be read: damaged, empty, or no regular file (a FIFO, a socket, a device). Its cell
// shows the broken-picture mark and the PNG is still written. Bad arguments print the usage and
// exit 2.
#include "JvImagesViewer.h"
#include "OffscreenViewer.h"
#include "PictureFormats.h"

#include <QApplication>
#include <QFile>
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
    return WaitUntil([&] { return viewer.windowHandle()->isExposed(); }, ShowDeadlineMs);
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
    const QImage view = PaintWhenAllInViewRead(viewer);
    if (!view.save(outName, "PNG"))
        return Fail(QStringLiteral("cannot write \"%1\"").arg(outName));
    QTextStream(stdout) << QStringLiteral("%1: %2 x %3, %4 of %5 pictures in view\n")
                               .arg(outName)
                               .arg(view.width())
                               .arg(view.height())
                               .arg(CellsInView(viewer).size())
                               .arg(viewer.Count());
    const QStringList failures = FailuresInView(viewer);
    for (const QString& reason : failures)
        Fail(reason);
    return failures.isEmpty() ? 0 : 1;
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
