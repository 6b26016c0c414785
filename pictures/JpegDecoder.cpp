#include "JpegDecoder.h"

#include "ThumbnailSampler.h"

#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jerror.h>
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

// Reads the file a chunk at a time, so a large file never sits in memory whole.
struct TDeviceSource {
    jpeg_source_mgr Manager; // first member, so the library's src pointer points at us too
    QIODevice* File;
    bool StartOfFile;
    JOCTET Buffer[64 * 1024];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// An empty file is the library's "empty input" error. At the end of a file the library is
// handed an end marker and warned, as its own sources do: a short file shows what it holds.
boolean FillInput(j_decompress_ptr info) {
    auto* source = reinterpret_cast<TDeviceSource*>(info->src);
    const qint64 got =
        source->File->read(reinterpret_cast<char*>(source->Buffer), qint64(sizeof source->Buffer));
    if (got <= 0 && source->StartOfFile)
        ERREXIT(info, JERR_INPUT_EMPTY);
    source->StartOfFile = false;
    if (got <= 0) {
        WARNMS(info, JWRN_JPEG_EOF);
        source->Buffer[0] = 0xFF;
        source->Buffer[1] = JPEG_EOI;
        source->Manager.bytes_in_buffer = 2;
    } else {
        source->Manager.bytes_in_buffer = size_t(got);
    }
    source->Manager.next_input_byte = source->Buffer;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<TDeviceSource*>(info->src);
    if (count <= 0)
        return;
    if (size_t(count) <= source->Manager.bytes_in_buffer) {
        source->Manager.next_input_byte += count;
        source->Manager.bytes_in_buffer -= size_t(count);
        return;
    }
    source->File->skip(qint64(count) - qint64(source->Manager.bytes_in_buffer));
    source->Manager.bytes_in_buffer = 0;
}

void CreateStep(j_decompress_ptr info) {
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = DecoderMemoryLimit;
}

void OpenMemoryStep(j_decompress_ptr info, void* context) {
    const auto* data = static_cast<const QByteArray*>(context);
    CreateStep(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(info, TRUE);
}

void OpenDeviceStep(j_decompress_ptr info, void* context) {
    auto* source = static_cast<TDeviceSource*>(context);
    CreateStep(info);
    source->Manager.init_source = InitSource;
    source->Manager.fill_input_buffer = FillInput;
    source->Manager.skip_input_data = SkipInput;
    source->Manager.resync_to_restart = jpeg_resync_to_restart;
    source->Manager.term_source = TermSource;
    source->Manager.bytes_in_buffer = 0;
    source->Manager.next_input_byte = nullptr;
    source->StartOfFile = true;
    info->src = &source->Manager;
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

// Owns one decompressor reading data or a file; the library's errors come out of Run as EJPEG.
class TDecompressor {
public:
    explicit TDecompressor(const QByteArray& data) : FData(data) { Open(OpenMemoryStep, &FData); }
    explicit TDecompressor(QIODevice& file) : FSource(std::make_unique<TDeviceSource>()) {
        FSource->File = &file;
        Open(OpenDeviceStep, FSource.get());
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
    void Open(TStep step, void* context) {
        Run(step, context);
        CheckSize(Info().image_width, Info().image_height);
    }

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

    // The sources outlive the decompressor that reads from them.
    QByteArray FData;
    std::unique_ptr<TDeviceSource> FSource;
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

void ConfigureThumbnail(jpeg_decompress_struct& info, int scale) {
    info.scale_num = unsigned(scale);
    info.scale_denom = 8;
    info.dct_method = JDCT_ISLOW;
    info.do_block_smoothing = TRUE;
    info.buffered_image = FALSE;
    if (IsFourColour(info))
        info.out_color_space = JCS_CMYK;
    else if (info.jpeg_color_space == JCS_GRAYSCALE)
        info.out_color_space = JCS_GRAYSCALE;
    else
        info.out_color_space = NativeRgb32;
}

struct TSampledOutput {
    uchar* Batch; // RowBatch rows of the scaled width
    qsizetype Stride;
    TThumbnailSampler* Sampler;
    bool StopAtEnd; // whether nothing can come after the end marker
    int RowsDecoded = 0;
};

// Output rows the library may hold decoded ahead of what it has handed out: two rows of blocks
// (the one being read and the context of smooth upsampling) and a batch.
int HeldRows(j_decompress_ptr info) {
    return 2 * info->max_v_samp_factor * info->min_DCT_scaled_size + int(RowBatch);
}

// Keeps only the rows the thumbnail takes: the library needs memory for a few scaled rows, not
// for the scaled picture. In a one-scan file nothing after the end marker can be more than grey,
// so decoding stops there: a header promising a huge picture costs what the file holds.
void SampledDecodeStep(j_decompress_ptr info, void* context) {
    auto* output = static_cast<TSampledOutput*>(context);
    jpeg_start_decompress(info);
    JSAMPROW rows[RowBatch];
    for (JDIMENSION i = 0; i < RowBatch; ++i)
        rows[i] = output->Batch + qsizetype(i) * output->Stride;
    int endRow = -1;
    while (info->output_scanline < info->output_height) {
        const JDIMENSION first = info->output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(RowBatch, info->output_height - first);
        const JDIMENSION read = jpeg_read_scanlines(info, rows, count);
        for (JDIMENSION i = 0; i < read; ++i)
            output->Sampler->AddRow(int(first + i), rows[i]);
        output->RowsDecoded = int(first + read);
        // The end marker (the file's own, or the one put where a short file ends) has been met.
        if (output->StopAtEnd && info->unread_marker == JPEG_EOI && endRow < 0)
            endRow = int(info->output_scanline);
        // The rows the library already holds when the data ends still carry real pixels.
        if (endRow >= 0 && int(info->output_scanline) >= endRow + HeldRows(info) &&
            info->output_scanline < info->output_height) {
            jpeg_abort_decompress(info);
            return;
        }
    }
    jpeg_finish_decompress(info);
}

// The rows from first on, where the data ran out, as the library would have given them.
void FillGreyFrom(int first, TThumbnailSampler& sampler, int width, int components) {
    std::vector<uchar> grey(size_t(width) * size_t(components), 128);
    if (components == 4)
        for (size_t x = 3; x < grey.size(); x += 4)
            grey[x] = 255;
    for (const int y : sampler.SourceRows())
        if (y >= first)
            sampler.AddRow(y, grey.data());
}

QImage::Format SampledFormat(const jpeg_decompress_struct& info) {
    return info.out_color_space == JCS_GRAYSCALE ? QImage::Format_Grayscale8 : QImage::Format_RGB32;
}

} // namespace

int JpegThumbnailScale(const QSize& picture, const QSize& fitted) {
    const auto covers = [&](int scale) {
        return (qint64(picture.width()) * scale + 7) / 8 >= fitted.width() &&
               (qint64(picture.height()) * scale + 7) / 8 >= fitted.height();
    };
    int scale = 1;
    while (scale < 8 && !covers(scale))
        ++scale;
    return scale;
}

TThumbnailImage DecodeJpegThumbnail(QIODevice& file, const QSize& box) {
    TDecompressor decompressor(file);
    jpeg_decompress_struct& info = decompressor.Info();
    const QSize size(int(info.image_width), int(info.image_height));
    const QSize fitted = FittedSize(size, box);
    ConfigureThumbnail(info, JpegThumbnailScale(size, fitted));
    decompressor.Run(OutputSizeStep, nullptr);

    const QSize scaled(int(info.output_width), int(info.output_height));
    TThumbnailSampler sampler(scaled, fitted.boundedTo(scaled), SampledFormat(info));
    std::vector<uchar> batch(size_t(scaled.width()) * size_t(info.output_components) * RowBatch);
    if (sampler.Image().isNull())
        throw EJPEG(QStringLiteral("Not enough memory for a %1 x %2 JPEG image")
                        .arg(fitted.width())
                        .arg(fitted.height()));
    TSampledOutput output{batch.data(), qsizetype(scaled.width()) * info.output_components,
                          &sampler,
                          !jpeg_has_multiple_scans(&info) && info.out_color_space != JCS_CMYK};
    decompressor.Run(SampledDecodeStep, &output);
    if (output.RowsDecoded < scaled.height())
        FillGreyFrom(output.RowsDecoded, sampler, scaled.width(), info.output_components);
    if (info.out_color_space == JCS_CMYK)
        CmykToRgb(sampler.Image(), info.saw_Adobe_marker);
    return {size, sampler.Image()};
}

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
