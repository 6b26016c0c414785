// Thumbnail decoding of the library-backed formats beside each format's own command-line
// decoder, on one 12-megapixel picture per format made here with the Debian tools. Each side
// runs in a process of its own, so that its time and its peak memory belong to it alone: ours
// reads the picture for a 160 x 160 cell as the viewer's workers do, theirs decodes it whole.
// Run: build/<dir>/bench/format_bench [runs]. A new format is one row of Cases().
#include "BenchProcess.h"
#include "FileFormats.h"
#include "Graphics.h"
#include "PictureFormats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Width = 4000, Height = 3000;
const QSize CellBox(160, 160);

// One format: how its sample is made from a PPM (a shell pipeline over $in and $out) and how
// its own decoder reads it ($in, output thrown away).
struct TFormatCase {
    const char* Name;
    const char* Extension;
    const char* Make;
    const char* Decoder;
};

const QList<TFormatCase>& Cases() {
    static const QList<TFormatCase> cases = {
        {"PNG", "png", "pnmtopng < \"$in\" > \"$out\"", "pngtopnm \"$in\""},
        {"WebP", "webp", "cwebp -quiet -q 85 \"$in\" -o \"$out\"",
         "dwebp -quiet \"$in\" -ppm -o -"},
        {"TIFF", "tif", "pnmtotiff -lzw < \"$in\" > \"$out\"", "tifftopnm \"$in\""},
        {"SVG", "svg", nullptr, "rsvg-convert \"$in\""},
    };
    return cases;
}

// A photo-like 4000 x 3000 PPM: smooth gradients with fine texture, so that every encoder
// has real work to do.
QByteArray Photo() {
    QByteArray ppm = QStringLiteral("P6\n%1 %2\n255\n").arg(Width).arg(Height).toLatin1();
    const qsizetype header = ppm.size();
    ppm.resize(header + qsizetype(Width) * Height * 3);
    auto* p = reinterpret_cast<uchar*>(ppm.data()) + header;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const int texture = ((x * 7919 + y * 104729) >> 3) & 15;
            *p++ = uchar(x * 255 / Width ^ texture);
            *p++ = uchar(y * 255 / Height + texture);
            *p++ = uchar((x + y) * 255 / (Width + Height) - texture);
        }
    return ppm;
}

// A 4000 x 3000 drawing of a few thousand shapes, as a detailed illustration has.
QByteArray Drawing() {
    QByteArray svg = QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' width='%1' "
                                    "height='%2'><rect width='100%' height='100%' fill='#def'/>")
                         .arg(Width)
                         .arg(Height)
                         .toLatin1();
    for (int i = 0; i < 3000; ++i)
        svg += QStringLiteral("<circle cx='%1' cy='%2' r='%3' fill='#%4' fill-opacity='0.6'/>")
                   .arg(i * 7919 % Width)
                   .arg(i * 104729 % Height)
                   .arg(10 + i % 90)
                   .arg(i * 2654435761u % 0xFFFFFF, 6, 16, QLatin1Char('0'))
                   .toLatin1();
    return svg + "</svg>";
}

bool Shell(const QString& command, const QString& in, const QString& out) {
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("in"), in);
    environment.insert(QStringLiteral("out"), out);
    shell.setProcessEnvironment(environment);
    shell.setStandardOutputFile(QProcess::nullDevice());
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    return shell.waitForFinished(-1) && shell.exitStatus() == QProcess::NormalExit &&
           shell.exitCode() == 0;
}

// The SVG sample is written as text; the others are encoded from the PPM by their tools.
bool MakeSample(const TFormatCase& c, const QString& ppm, const QString& sample) {
    if (c.Make)
        return Shell(QString::fromLatin1(c.Make), ppm, sample);
    QFile svg(sample);
    return svg.open(QIODevice::WriteOnly) && svg.write(Drawing()) > 0;
}

struct TRun {
    double Milliseconds = 0;
    double PeakMiB = 0;
};

// The decoder as a process of its own: wall time and its peak resident set from wait4.
TRun RunDecoder(const char* command, const QString& in) {
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        setenv("in", QFile::encodeName(in).constData(), 1);
        execl("/bin/sh", "sh", "-c", (QByteArray("exec ") + command).constData(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "format_bench: %s failed\n", command);
        std::exit(1);
    }
    return {double(timer.nsecsElapsed()) / 1e6, double(usage.ru_maxrss) / 1024};
}

// In the child: one thumbnail read as a cell's worker does it.
int RunChildCase(const QString& fileName) {
    RegisterPictureFormats();
    QElapsedTimer timer;
    timer.start();
    const TGraphicClass graphicClass = FileFormats().FindExt(QFileInfo(fileName).suffix());
    const std::unique_ptr<QObject> object(graphicClass->newInstance());
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const TThumbnailImage thumbnail =
        qobject_cast<TGraphic*>(object.get())->ReadThumbnail(file, CellBox);
    PutFigure(QStringLiteral("ms"), double(timer.nsecsElapsed()) / 1e6);
    PutFigure(QStringLiteral("peak"), PeakResidentMiB());
    return thumbnail.Image.isNull() ? 1 : 0;
}

int RunParent(int runs) {
    QTemporaryDir dir;
    const QString ppm = dir.filePath(QStringLiteral("photo.ppm"));
    QFile photo(ppm);
    if (!photo.open(QIODevice::WriteOnly) || photo.write(Photo()) < 0)
        return 1;
    photo.close();
    std::printf("%d x %d pictures, %d runs, best of each; load: %s\n", Width, Height, runs,
                qPrintable(LoadAverage()));
    std::printf("%-6s %9s %9s %7s   %9s %9s %7s   %s\n", "format", "ours ms", "theirs ms", "ratio",
                "ours MiB", "theirs MiB", "ratio", "decoder");
    for (const TFormatCase& c : Cases()) {
        const QString sample = dir.filePath(QStringLiteral("sample.") + c.Extension);
        if (!MakeSample(c, ppm, sample))
            return 1;
        TRun ours{1e300, 1e300}, theirs{1e300, 1e300};
        for (int run = 0; run < runs; ++run) {
            // Alternated, so that both sides meet the same load on a shared machine.
            const TFigures figures = RunInChild({sample});
            ours.Milliseconds = std::min(ours.Milliseconds, figures.value(QStringLiteral("ms")));
            ours.PeakMiB = std::min(ours.PeakMiB, figures.value(QStringLiteral("peak")));
            const TRun now = RunDecoder(c.Decoder, sample);
            theirs.Milliseconds = std::min(theirs.Milliseconds, now.Milliseconds);
            theirs.PeakMiB = std::min(theirs.PeakMiB, now.PeakMiB);
        }
        std::printf("%-6s %9.1f %9.1f %7.2f   %9.1f %9.1f %7.2f   %s\n", c.Name, ours.Milliseconds,
                    theirs.Milliseconds, ours.Milliseconds / theirs.Milliseconds, ours.PeakMiB,
                    theirs.PeakMiB, ours.PeakMiB / theirs.PeakMiB, c.Decoder);
    }
    std::printf("ours: one thumbnail read in a fresh Qt process; theirs: the whole decode\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (IsChild())
        return args.value(0) == QLatin1String("child") ? RunChildCase(args.value(1)) : 2;
    return RunParent(std::max(1, args.value(0, QStringLiteral("3")).toInt()));
}
