#include "JpegSamples.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

J_COLOR_SPACE InputSpace(TJpegSampleKind kind) {
    switch (kind) {
    case TJpegSampleKind::Grayscale:
        return JCS_GRAYSCALE;
    case TJpegSampleKind::Cmyk:
        return JCS_CMYK;
    default:
        return JCS_RGB;
    }
}

// One row of samples in the order the compressor's input colour space wants them.
void FillRow(const QImage& image, int y, TJpegSampleKind kind, std::vector<JSAMPLE>& row) {
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    size_t i = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = pixels[x];
        if (kind == TJpegSampleKind::Grayscale) {
            row[i++] = JSAMPLE(qGray(pixel));
            continue;
        }
        row[i++] = JSAMPLE(qRed(pixel));
        row[i++] = JSAMPLE(qGreen(pixel));
        row[i++] = JSAMPLE(qBlue(pixel));
        if (kind == TJpegSampleKind::Cmyk)
            row[i++] = JSAMPLE(qAlpha(pixel));
    }
}

} // namespace

QByteArray MakeJpeg(const QImage& source, TJpegSampleKind kind, int quality) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.in_color_space = InputSpace(kind);
    info.input_components = kind == TJpegSampleKind::Grayscale ? 1
                            : kind == TJpegSampleKind::Cmyk    ? 4
                                                               : 3;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (kind == TJpegSampleKind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(image.width()) * size_t(info.input_components));
    while (info.next_scanline < info.image_height) {
        FillRow(image, int(info.next_scanline), kind, row);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray jpeg(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return jpeg;
}

qsizetype FindJpegMarker(const QByteArray& jpeg, uchar code) {
    const char marker[2] = {char(0xFF), char(code)};
    return jpeg.indexOf(QByteArrayView(marker, 2), 2);
}

QByteArray WithUndefinedQuantTable(QByteArray jpeg) {
    const qsizetype frame = FindJpegMarker(jpeg, 0xC0);
    // marker(2) length(2) precision(1) height(2) width(2) count(1), then id, sampling, table
    jpeg[frame + 10 + 2] = char(3);
    return jpeg;
}

QByteArray WithSize(QByteArray jpeg, int width, int height) {
    const qsizetype frame = FindJpegMarker(jpeg, 0xC0);
    jpeg[frame + 5] = char(height >> 8);
    jpeg[frame + 6] = char(height & 0xFF);
    jpeg[frame + 7] = char(width >> 8);
    jpeg[frame + 8] = char(width & 0xFF);
    return jpeg;
}
