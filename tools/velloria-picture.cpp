// velloria-picture: loads a picture through the format registry, as the program does, and
//   info FILE                 prints "CLASS WIDTHxHEIGHT"
//   convert FILE OUT.bmp      converts it to a bitmap and saves it: "TBitmap WxH BITSbpp"
//   draw FILE W H OUT.png     draws it stretched into a white W x H canvas and saves a PNG
// A failure prints "ECLASS: message" and exits with 1, leaving no output file behind.
#include "Bitmap.h"
#include "Picture.h"
#include "PictureFormats.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>

namespace {

constexpr int MaxCanvasSide = 16384;

int Usage() {
    QTextStream(stderr)
        << "usage: velloria-picture info FILE | convert FILE OUT.bmp | draw FILE W H OUT.png\n";
    return 2;
}

QString Info(TPicture& picture) {
    return QStringLiteral("%1 %2x%3")
        .arg(picture.Graphic()->ClassName())
        .arg(picture.Width())
        .arg(picture.Height());
}

QString Convert(TPicture& picture, const QString& outName) {
    TBitmap bitmap;
    bitmap.Assign(picture.Graphic());
    bitmap.SaveToFile(outName);
    const int bits = bitmap.BitsPerPixel() == 0 ? 24 : bitmap.BitsPerPixel();
    return QStringLiteral("TBitmap %1x%2 %3bpp").arg(bitmap.Width()).arg(bitmap.Height()).arg(bits);
}

QString Draw(TPicture& picture, int width, int height, const QString& outName) {
    if (width < 1 || height < 1 || width > MaxCanvasSide || height > MaxCanvasSide)
        throw EConvertError(
            QStringLiteral("Canvas size %1 x %2 is out of range").arg(width).arg(height));
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    picture.Graphic()->Draw(painter, QRect(0, 0, width, height));
    painter.end();
    if (!canvas.save(outName, "PNG")) {
        QFile::remove(outName);
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\".").arg(outName));
    }
    return QStringLiteral("%1 drawn %2x%3")
        .arg(picture.Graphic()->ClassName())
        .arg(width)
        .arg(height);
}

int ToSize(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString Run(const QStringList& args) {
    TPicture picture;
    picture.LoadFromFile(args[1]);
    if (args[0] == QLatin1String("info"))
        return Info(picture);
    if (args[0] == QLatin1String("convert"))
        return Convert(picture, args[2]);
    return Draw(picture, ToSize(args[2]), ToSize(args[3]), args[4]);
}

bool ValidArguments(const QStringList& args) {
    if (args.isEmpty())
        return false;
    return (args[0] == QLatin1String("info") && args.size() == 2) ||
           (args[0] == QLatin1String("convert") && args.size() == 3) ||
           (args[0] == QLatin1String("draw") && args.size() == 5);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegisterPictureFormats();
    const QStringList args = app.arguments().mid(1);
    if (!ValidArguments(args))
        return Usage();
    QTextStream out(stdout);
    try {
        out << Run(args) << '\n';
        return 0;
    } catch (const Exception& e) {
        out << e.ClassName() << ": " << e.Message() << '\n';
        return 1;
    }
}
