// The cell read of a 12-megapixel JPEG XL, AVIF and HEIC picture against each format's own
// command-line decoder on the same file, in one run: time and peak resident memory, each case
// in a process of its own. The pictures are made here with the formats' own encoders.
// Run: build/<dir>/bench/library_format_bench.
#include "Avif.h"
#include "BenchProcess.h"
#include "Heif.h"
#include "Jxl.h"
#include "LibrarySamples.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

const QSize PictureSize(4000, 3000);
// The cell's picture area at the viewer's default size.
const QSize CellBox(96, 96);

struct TFormatCase {
    TLibraryFormat Format;
    const QMetaObject* Class;
    const char* Output; // what the decoder writes; the cheapest file its tool offers
};

const TFormatCase Cases[] = {
    {TLibraryFormat::Jxl, &TJxlImage::staticMetaObject, "out.ppm"},
    {TLibraryFormat::Avif, &TAvifImage::staticMetaObject, "out.y4m"},
    {TLibraryFormat::Heif, &THeifImage::staticMetaObject, "out.y4m"},
};

// A photograph's worth of detail: smooth gradients under many small shapes.
QImage Scene() {
    QImage image(PictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, PictureSize.width(), PictureSize.height());
    sky.setColorAt(0, QColor(30, 80, 170));
    sky.setColorAt(1, QColor(240, 170, 90));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3000; ++i) {
        painter.setBrush(QColor::fromHsv((i * 37) % 360, 150, 120 + (i * 13) % 120));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(
            QPoint((i * 7919) % PictureSize.width(), (i * 104729) % PictureSize.height()),
            10 + (i % 60), 8 + (i % 45));
    }
    return image;
}

// Child: our cell read of the file, timed, with the process's peak memory.
int OursChild(const QString& className, const QString& fileName) {
    for (const TFormatCase& c : Cases) {
        if (QString::fromLatin1(c.Class->className()) != className)
            continue;
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        std::unique_ptr<TGraphic> graphic(qobject_cast<TGraphic*>(c.Class->newInstance()));
        QElapsedTimer timer;
        timer.start();
        const TThumbnailImage thumbnail = graphic->ReadThumbnail(file, CellBox);
        PutFigure(QStringLiteral("ms"), double(timer.nsecsElapsed()) / 1e6);
        PutFigure(QStringLiteral("peak_mib"), PeakResidentMiB());
        return thumbnail.Image.isNull() ? 1 : 0;
    }
    return 2;
}

// Child: the tool's run, timed, with its own peak memory (the only child of this process).
int TheirsChild(const QStringList& command) {
    QProcess tool;
    QElapsedTimer timer;
    timer.start();
    tool.start(command.first(), command.mid(1));
    if (!tool.waitForFinished(-1) || tool.exitCode() != 0)
        return 1;
    PutFigure(QStringLiteral("ms"), double(timer.nsecsElapsed()) / 1e6);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    PutFigure(QStringLiteral("peak_mib"), double(usage.ru_maxrss) / 1024.0);
    return 0;
}

int RunParent() {
    std::printf("Cell read (%d x %d box) of a %d x %d picture; load %s\n", CellBox.width(),
                CellBox.height(), PictureSize.width(), PictureSize.height(),
                qPrintable(LoadAverage()));
    std::printf("%-6s %10s %10s %10s %10s %8s %8s\n", "format", "ours ms", "tool ms", "ours MiB",
                "tool MiB", "time x", "memory x");
    const QImage scene = Scene();
    QTemporaryDir dir;
    for (const TFormatCase& c : Cases) {
        QString error;
        const QByteArray bytes = MakeLibrarySample(c.Format, {scene}, false, {}, &error);
        if (bytes.isEmpty())
            qFatal("%s", qPrintable(error));
        const QString input = dir.filePath(QStringLiteral("picture.") + LibraryExtension(c.Format));
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(input));
        file.close();
        // Best of three each, alternately, so that both meet the same load.
        double oursMs = 1e300, theirsMs = 1e300, oursMiB = 0, theirsMiB = 0;
        for (int run = 0; run < 3; ++run) {
            const TFigures ours = RunInChild(
                {QStringLiteral("ours"), QString::fromLatin1(c.Class->className()), input});
            const TFigures theirs = RunInChild(
                QStringList{QStringLiteral("theirs")} +
                LibraryDecoderCommand(c.Format, input, dir.filePath(QLatin1String(c.Output))));
            oursMs = std::min(oursMs, ours[QStringLiteral("ms")]);
            theirsMs = std::min(theirsMs, theirs[QStringLiteral("ms")]);
            oursMiB = std::max(oursMiB, ours[QStringLiteral("peak_mib")]);
            theirsMiB = std::max(theirsMiB, theirs[QStringLiteral("peak_mib")]);
        }
        std::printf("%-6s %10.1f %10.1f %10.1f %10.1f %8.2f %8.2f  (%lld KB)\n",
                    qPrintable(LibraryExtension(c.Format)), oursMs, theirsMs, oursMiB, theirsMiB,
                    oursMs / theirsMs, oursMiB / theirsMiB, qlonglong(bytes.size() / 1024));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (IsChild() && args.value(0) == QLatin1String("child")) {
        if (args.value(1) == QLatin1String("ours"))
            return OursChild(args.value(2), args.value(3));
        if (args.value(1) == QLatin1String("theirs"))
            return TheirsChild(args.mid(2));
        return 2;
    }
    return RunParent();
}
