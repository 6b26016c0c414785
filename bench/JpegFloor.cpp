#include "JpegFloor.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

#include <sys/mman.h>

#include <jpeglib.h>

namespace {

constexpr size_t HugePage = size_t(2) << 20;
constexpr JDIMENSION RowBatch = 16;

using TPixels = std::unique_ptr<uchar, TFreePixels>;

TPixels Allocate(size_t size, TFloorMemory memory) {
    if (memory == TFloorMemory::Plain)
        return TPixels(static_cast<uchar*>(std::malloc(size)));
    const size_t rounded = (size + HugePage - 1) / HugePage * HugePage;
    void* pixels = std::aligned_alloc(HugePage, rounded);
    if (pixels)
        madvise(pixels, rounded, MADV_HUGEPAGE);
    return TPixels(static_cast<uchar*>(pixels));
}

[[noreturn]] void StopOnError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    info->err->format_message(info, message);
    qFatal("libjpeg: %s", message);
}

} // namespace

TFloorPicture DecodeFloor(const QString& fileName, int scaleDenom, TFloorMemory memory) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(fileName));
    const QByteArray data = file.readAll();

    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    error.error_exit = StopOnError;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = unsigned(scaleDenom);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);

    const size_t stride = size_t(info.output_width) * 4;
    TPixels pixels = Allocate(stride * info.output_height, memory);
    if (!pixels)
        qFatal("no memory for %u x %u pixels", info.output_width, info.output_height);
    JSAMPROW rows[RowBatch];
    while (info.output_scanline < info.output_height) {
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(RowBatch, info.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = pixels.get() + size_t(first + i) * stride;
        jpeg_read_scanlines(&info, rows, count);
    }
    TFloorPicture picture{QSize(int(info.output_width), int(info.output_height)),
                          std::move(pixels)};
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return picture;
}
