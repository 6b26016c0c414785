#include "ThumbnailSampler.h"

#include <algorithm>
#include <cstring>

namespace {
// The source index whose centre is nearest the centre of target index i.
std::vector<int> PickCentres(int source, int target) {
    std::vector<int> picks(size_t(std::max(target, 0)));
    for (int i = 0; i < target; ++i)
        picks[size_t(i)] = int((qint64(2 * i + 1) * source) / (qint64(2) * target));
    return picks;
}
} // namespace

TThumbnailSampler::TThumbnailSampler(const QSize& source, const QSize& target,
                                     QImage::Format format)
    : FColumns(PickCentres(source.width(), target.width())),
      FRows(PickCentres(source.height(), target.height())), FImage(target, format) {
    FBytesPerPixel = FImage.depth() / 8;
    if (!FImage.isNull())
        FImage.fill(0);
}

void TThumbnailSampler::AddRow(int y, const uchar* pixels) {
    const auto [first, last] = std::equal_range(FRows.begin(), FRows.end(), y);
    if (first == last || FImage.isNull())
        return;
    uchar* line = FImage.scanLine(int(first - FRows.begin()));
    for (size_t x = 0; x < FColumns.size(); ++x)
        std::memcpy(line + x * size_t(FBytesPerPixel),
                    pixels + size_t(FColumns[x]) * size_t(FBytesPerPixel), size_t(FBytesPerPixel));
    for (auto row = first + 1; row != last; ++row)
        std::memcpy(FImage.scanLine(int(row - FRows.begin())), line, size_t(FImage.bytesPerLine()));
}
