#include "FormatTools.h"

#include "Graphics.h"

#include <QProcess>

#include <gtest/gtest.h>

QByteArray RunFormatTool(const QString& program, const QStringList& args, const QByteArray& input) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << program.toStdString() << " did not start";
        return {};
    }
    process.write(input);
    process.closeWriteChannel();
    // Large samples take a while on a busy machine; the limit is only against a hang.
    const bool finished = process.waitForFinished(120000);
    const QByteArray output = process.readAllStandardOutput();
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return output;
}

QByteArray Pam(const QImage& source) {
    const bool alpha = source.hasAlphaChannel();
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QByteArray pam = QStringLiteral("P7\nWIDTH %1\nHEIGHT %2\nDEPTH %3\nMAXVAL 255\nTUPLTYPE %4\n"
                                    "ENDHDR\n")
                         .arg(image.width())
                         .arg(image.height())
                         .arg(alpha ? 4 : 3)
                         .arg(alpha ? QStringLiteral("RGB_ALPHA") : QStringLiteral("RGB"))
                         .toLatin1();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            pam.append(char(qRed(pixel))).append(char(qGreen(pixel))).append(char(qBlue(pixel)));
            if (alpha)
                pam.append(char(qAlpha(pixel)));
        }
    return pam;
}

QImage FromPpm(const QByteArray& ppm) {
    // "P6", width, height, maxval, each followed by one white space; netpbm writes no comments.
    const QList<QByteArray> fields = ppm.left(64).simplified().split(' ');
    if (fields.size() < 4 || fields[0] != "P6" || fields[3] != "255")
        return {};
    const int width = fields[1].toInt(), height = fields[2].toInt();
    qsizetype at = 0;
    for (int i = 0; i < 4; ++i)
        at = ppm.indexOf(fields[i], at) + fields[i].size();
    ++at;
    if (ppm.size() - at < qsizetype(width) * height * 3)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    const auto* p = reinterpret_cast<const uchar*>(ppm.constData()) + at;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, p += 3)
            image.setPixel(x, y, qRgb(p[0], p[1], p[2]));
    return image;
}

QImage HalfTransparentPicture() {
    QImage image(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image.setPixel(x, y, qRgba(255, 0, 0, y == 31 ? 0 : x < 16 ? 255 : 128));
    return image;
}

std::string LoadError(TGraphic& graphic, const QByteArray& bytes) {
    try {
        graphic.LoadFromBytes(bytes);
    } catch (const Exception& e) {
        return (e.ClassName() + QStringLiteral(": ") + e.Message()).toStdString();
    }
    return "no error";
}
