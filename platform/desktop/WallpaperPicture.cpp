#include "WallpaperPicture.h"

#include "PictureLimits.h"

#include <QImageReader>

namespace {
// The limit in Qt's unit, megabytes of decoded image at 4 bytes a pixel.
constexpr int AllocationLimitMb = int(MaxPicturePixels * 4 / (1024 * 1024));
} // namespace

bool ReadWallpaperPicture(const QString& fileName, QImage& picture, QString& error) {
    QImageReader::setAllocationLimit(AllocationLimitMb);
    QImageReader reader(fileName);
    // A photo taken sideways is shown upright, as its thumbnail is.
    reader.setAutoTransform(true);
    picture = reader.read();
    if (!picture.isNull())
        return true;
    error = QStringLiteral("cannot read the picture %1: %2").arg(fileName, reader.errorString());
    return false;
}
