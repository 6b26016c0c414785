#include "HeifReader.h"

#include "Dib.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct THeifRelease {
    void operator()(heif_context* context) const { heif_context_free(context); }
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
    void operator()(heif_image* image) const { heif_image_release(image); }
};
using TContext = std::unique_ptr<heif_context, THeifRelease>;
using THandle = std::unique_ptr<heif_image_handle, THeifRelease>;
using TImage = std::unique_ptr<heif_image, THeifRelease>;

[[noreturn]] void NotValid() {
    throw EInvalidGraphic(QStringLiteral("HEIF image is not valid"));
}

void Check(const heif_error& error) {
    if (error.code != heif_error_Ok)
        NotValid();
}

// A context over data, which must outlive it (the library reads in place).
TContext ReadContext(const QByteArray& data) {
    TContext context(heif_context_alloc());
    if (!context)
        NotValid();
    Check(heif_context_read_from_memory_without_copy(context.get(), data.constData(),
                                                     size_t(data.size()), nullptr));
    return context;
}

THandle PrimaryPicture(heif_context& context) {
    heif_image_handle* handle = nullptr;
    Check(heif_context_get_primary_image_handle(&context, &handle));
    THandle primary(handle);
    const int width = heif_image_handle_get_width(handle);
    const int height = heif_image_handle_get_height(handle);
    if (!IsAcceptedPictureSize(width, height))
        throw EInvalidGraphic(
            QStringLiteral("HEIF image is too large (%1 x %2 pixels)").arg(width).arg(height));
    return primary;
}

QSize HandleSize(const heif_image_handle& handle) {
    return {heif_image_handle_get_width(&handle), heif_image_handle_get_height(&handle)};
}

// The smallest thumbnail at least as large as needed, or none.
THandle CoveringThumbnail(heif_image_handle& primary, const QSize& needed) {
    const int count = heif_image_handle_get_number_of_thumbnails(&primary);
    std::vector<heif_item_id> ids(size_t(qMax(count, 0)));
    heif_image_handle_get_list_of_thumbnail_IDs(&primary, ids.data(), count);
    THandle best;
    for (const heif_item_id id : ids) {
        heif_image_handle* handle = nullptr;
        if (heif_image_handle_get_thumbnail(&primary, id, &handle).code != heif_error_Ok)
            continue;
        THandle thumbnail(handle);
        const QSize size = HandleSize(*thumbnail);
        if (size.width() >= needed.width() && size.height() >= needed.height() &&
            (!best || size.width() < HandleSize(*best).width()))
            best = std::move(thumbnail);
    }
    return best;
}

QImage DecodeHandle(heif_image_handle& handle) {
    const bool alpha = heif_image_handle_has_alpha_channel(&handle) != 0;
    heif_image* decoded = nullptr;
    // Default options: the library applies the file's crop, rotation and mirror.
    Check(heif_decode_image(&handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                            nullptr));
    const TImage owner(decoded);
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!pixels || !IsAcceptedPictureSize(width, height) || stride < width * 4)
        NotValid();
    QImage image(width, height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (image.isNull())
        NotValid();
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels + qsizetype(y) * stride, size_t(width) * 4);
    image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

} // namespace

QSize ReadHeifSize(const QByteArray& data) {
    const TContext context = ReadContext(data);
    return HandleSize(*PrimaryPicture(*context));
}

QImage DecodeHeif(const QByteArray& data, const QSize& box) {
    const TContext context = ReadContext(data);
    const THandle primary = PrimaryPicture(*context);
    const THandle thumbnail =
        box.isEmpty() ? THandle()
                      : CoveringThumbnail(*primary, FittedSize(HandleSize(*primary), box));
    return DecodeHandle(thumbnail ? *thumbnail : *primary);
}
