#include "LibrarySamples.h"

#include "GifSamples.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Encoders on a test's small pictures finish in well under a second, on the benchmark's
// 12-megapixel one in a minute or two on a busy machine; the limit is only a backstop.
constexpr int ToolLimitMs = 15 * 60 * 1000;

bool RunTool(const QStringList& command, QString* error) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.first(), command.mid(1));
    const bool finished = process.waitForFinished(ToolLimitMs);
    const bool succeeded =
        finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!succeeded && error)
        *error =
            command.join(' ') + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll());
    return succeeded;
}

// cjxl makes an animation only from an animated file: a GIF of the frames, each of one colour
// (its top-left pixel's), showing a tenth of a second.
QByteArray AnimatedGif(const QList<QImage>& frames) {
    QList<QRgb> table;
    for (const QImage& frame : frames)
        table << frame.pixel(0, 0);
    while (table.size() < 4 || (table.size() & (table.size() - 1)) != 0)
        table << qRgb(0, 0, 0);
    const QSize size = frames.first().size();
    TGifSampleWriter writer(size.width(), size.height(), table);
    for (qsizetype i = 0; i < frames.size(); ++i) {
        writer.AddExtension(0xF9, QByteArray("\x00\x0A\x00\x00", 4));
        TGifSampleFrame frame;
        frame.Width = size.width();
        frame.Height = size.height();
        frame.Indexes = QByteArray(size.width() * size.height(), char(i));
        writer.AddFrame(frame);
    }
    return writer.Bytes();
}

QStringList EncoderCommand(TLibraryFormat format, bool lossless, const QStringList& extra,
                           const QStringList& inputs, const QString& output) {
    switch (format) {
    case TLibraryFormat::Jxl:
        return QStringList{"cjxl", "-e", "3", "-d", lossless ? "0" : "1"} + extra + inputs +
               QStringList{output};
    case TLibraryFormat::Avif:
        return QStringList{"avifenc", "-s", "10"} + (lossless ? QStringList{"-l"} : QStringList{}) +
               extra + inputs + QStringList{output};
    case TLibraryFormat::Heif:
        return QStringList{"heif-enc"} +
               (lossless ? QStringList{"-L", "-p", "chroma=444"} : QStringList{"-q", "90"}) +
               extra + inputs + QStringList{"-o", output};
    }
    return {};
}

} // namespace

QImage QuarterColours(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                             qRgb(255, 255, 255)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(y * 2 / height) * 2 + x * 2 / width]);
    return image;
}

QList<QRgb> ColoursOfQuarters(const QImage& image, const QRect& part) {
    const QRect area = part.isNull() ? image.rect() : part;
    const int x = area.x(), y = area.y(), w = area.width(), h = area.height();
    return {image.pixel(x + w / 4, y + h / 4), image.pixel(x + w * 3 / 4, y + h / 4),
            image.pixel(x + w / 4, y + h * 3 / 4), image.pixel(x + w * 3 / 4, y + h * 3 / 4)};
}

QString LibraryExtension(TLibraryFormat format) {
    switch (format) {
    case TLibraryFormat::Jxl:
        return QStringLiteral("jxl");
    case TLibraryFormat::Avif:
        return QStringLiteral("avif");
    case TLibraryFormat::Heif:
        return QStringLiteral("heic");
    }
    return {};
}

QByteArray MakeLibrarySample(TLibraryFormat format, const QList<QImage>& frames, bool lossless,
                             const QStringList& extra, QString* error) {
    QTemporaryDir dir;
    QStringList inputs;
    if (format == TLibraryFormat::Jxl && frames.size() > 1) {
        inputs << dir.filePath(QStringLiteral("frames.gif"));
        QFile gif(inputs.last());
        if (!gif.open(QIODevice::WriteOnly) || gif.write(AnimatedGif(frames)) < 0)
            return {};
    } else {
        for (const QImage& frame : frames) {
            inputs << dir.filePath(QStringLiteral("frame%1.png").arg(inputs.size()));
            frame.save(inputs.last(), "PNG");
        }
    }
    const QString output = dir.filePath(QStringLiteral("sample.") + LibraryExtension(format));
    if (!RunTool(EncoderCommand(format, lossless, extra, inputs, output), error))
        return {};
    QFile file(output);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList LibraryDecoderCommand(TLibraryFormat format, const QString& input,
                                  const QString& output) {
    switch (format) {
    case TLibraryFormat::Jxl:
        return {"djxl", input, output};
    case TLibraryFormat::Avif:
        return {"avifdec", input, output};
    case TLibraryFormat::Heif:
        return {"heif-convert", input, output};
    }
    return {};
}

QImage DecodeWithLibraryTool(TLibraryFormat format, const QByteArray& file) {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.") + LibraryExtension(format));
    QFile in(input);
    if (!in.open(QIODevice::WriteOnly) || in.write(file) != file.size())
        return {};
    in.close();
    const QString output = dir.filePath(QStringLiteral("out.png"));
    QProcess process;
    const QStringList command = LibraryDecoderCommand(format, input, output);
    process.start(command.first(), command.mid(1));
    if (!process.waitForFinished(ToolLimitMs) || process.exitCode() != 0)
        return {};
    return QImage(output);
}
