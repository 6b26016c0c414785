#include "JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

constexpr int QuantisedColours = 236;
// Rows handed to the library per call: enough for its largest sampling factor.
constexpr JDIMENSION RowBatch = 16;
// Beyond this the library would need a backing store, which it does not have: it fails cleanly.
constexpr long DecoderMemoryLimit = 1L << 30;
// Decoding straight into a 32-bit QImage: its bytes are B, G, R, A on little-endian machines.
constexpr J_COLOR_SPACE NativeRgb32 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

struct TErrorExit {
    jpeg_error_mgr Manager; // first member, so the library's err pointer points at us too
    std::jmp_buf Jump;
};

[[noreturn]] void LeaveDecoder(j_common_ptr info) {
    std::longjmp(reinterpret_cast<TErrorExit*>(info->err)->Jump, 1);
}

void IgnoreWarning(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

using TStep = void (*)(j_decompress_ptr info, void* context);

// The one place that receives the library's error exit. Neither this function nor any step
// owns anything that needs destruction, so the jump back skips no destructor.
bool RunStep(j_decompress_ptr info, TErrorExit* error, TStep step, void* context) {
    if (setjmp(error->Jump) != 0)
        return false;
    step(info, context);
    return true;
}

void OpenStep(j_decompress_ptr info, void* context) {
    const auto* data = static_cast<const QByteArray*>(context);
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = DecoderMemoryLimit;
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(info, TRUE);
}

void OutputSizeStep(j_decompress_ptr info, void*) {
    jpeg_calc_output_dimensions(info);
}

struct TOutput {
    uchar* Bits;
    qsizetype Stride;
};

void DecodeStep(j_decompress_ptr info, void* context) {
    const auto* output = static_cast<const TOutput*>(context);
    jpeg_start_decompress(info);
    JSAMPROW rows[RowBatch];
    while (info->output_scanline < info->output_height) {
        const JDIMENSION first = info->output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(RowBatch, info->output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = output->Bits + qsizetype(first + i) * output->Stride;
        jpeg_read_scanlines(info, rows, count);
    }
}

// Separate from decoding: the colour map of quantised output is freed by finishing.
void FinishStep(j_decompress_ptr info, void*) {
    jpeg_finish_decompress(info);
}

// Owns one decompressor reading data; the library's errors come out of Run as EJPEG.
class TDecompressor {
public:
    explicit TDecompressor(const QByteArray& data) : FData(data) {
        Run(OpenStep, &FData);
        CheckSize(Info().image_width, Info().image_height);
    }

    jpeg_decompress_struct& Info() { return FState.Info; }

    void Run(TStep step, void* context) {
        if (!RunStep(&FState.Info, &FState.Error, step, context))
            throw EJPEG(QStringLiteral("JPEG error #%1").arg(FState.Error.Manager.msg_code));
    }

    static void CheckSize(qint64 width, qint64 height) {
        if (width * height > MaxPicturePixels)
            throw EJPEG(
                QStringLiteral("JPEG image is too large (%1 x %2 pixels)").arg(width).arg(height));
    }

private:
    // A member of its own, so that the library's memory is released also when the
    // constructor fails.
    struct TState {
        TState() {
            Info.err = jpeg_std_error(&Error.Manager);
            Error.Manager.error_exit = LeaveDecoder;
            Error.Manager.emit_message = IgnoreWarning;
            Error.Manager.output_message = IgnoreOutput;
        }
        ~TState() { jpeg_destroy_decompress(&Info); }
        TState(const TState&) = delete;
        TState& operator=(const TState&) = delete;

        TErrorExit Error{};
        jpeg_decompress_struct Info{};
    };

    QByteArray FData; // the memory source reads from it until the decompressor is gone
    TState FState;
};

bool IsFourColour(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

void Configure(jpeg_decompress_struct& info, bool eightBit) {
    info.scale_num = 1;
    info.scale_denom = 1;
    info.dct_method = JDCT_ISLOW;
    info.do_block_smoothing = TRUE;
    info.buffered_image = FALSE;
    if (IsFourColour(info)) {
        info.out_color_space = JCS_CMYK;
    } else if (eightBit || info.jpeg_color_space == JCS_GRAYSCALE) {
        // A grey file is quantised in grey: its palette is then true greys, evenly spaced, rather
        // than the few tinted cells that colour quantisation finds along the grey diagonal.
        const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
        info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
        info.quantize_colors = TRUE;
        info.two_pass_quantize = TRUE;
        info.dither_mode = JDITHER_FS;
        info.desired_number_of_colors = QuantisedColours;
    } else {
        info.out_color_space = NativeRgb32;
    }
}

// Photoshop writes inverted inks (0 = full ink) and marks its files with the Adobe marker.
void CmykToRgb(QImage& image, bool inverted) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* ink = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x, ink += 4) {
            int c = ink[0], m = ink[1], yellow = ink[2], k = ink[3];
            if (!inverted) {
                c = 255 - c, m = 255 - m, yellow = 255 - yellow, k = 255 - k;
            }
            line[x] = qRgb(c * k / 255, m * k / 255, yellow * k / 255);
        }
    }
}

QList<QRgb> ColourMap(const jpeg_decompress_struct& info) {
    QList<QRgb> table;
    const bool grey = info.out_color_components == 1;
    for (int i = 0; i < info.actual_number_of_colors; ++i) {
        const int red = info.colormap[0][i];
        table.append(grey ? qRgb(red, red, red)
                          : qRgb(red, info.colormap[1][i], info.colormap[2][i]));
    }
    return table;
}

} // namespace

QSize ReadJpegSize(const QByteArray& data) {
    TDecompressor decompressor(data);
    return QSize(int(decompressor.Info().image_width), int(decompressor.Info().image_height));
}

TDib DecodeJpeg(const QByteArray& data, bool eightBit) {
    TDecompressor decompressor(data);
    jpeg_decompress_struct& info = decompressor.Info();
    Configure(info, eightBit);
    decompressor.Run(OutputSizeStep, nullptr);
    TDecompressor::CheckSize(info.output_width, info.output_height);

    const bool quantised = info.quantize_colors;
    TDib dib;
    dib.Image = QImage(int(info.output_width), int(info.output_height),
                       quantised ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (dib.Image.isNull())
        throw EJPEG(QStringLiteral("Not enough memory for a %1 x %2 JPEG image")
                        .arg(info.output_width)
                        .arg(info.output_height));
    TOutput output{dib.Image.bits(), dib.Image.bytesPerLine()};
    decompressor.Run(DecodeStep, &output);

    if (quantised) {
        dib.Image.setColorTable(ColourMap(info));
        dib.BitsPerPixel = 8;
    }
    decompressor.Run(FinishStep, nullptr);
    if (!quantised) {
        if (info.out_color_space == JCS_CMYK)
            CmykToRgb(dib.Image, info.saw_Adobe_marker);
        dib.BitsPerPixel = 24;
    }
    return dib;
}
