#include "ProgramIcon.h"

#include <QDir>

namespace {
const char* const IconName = "com.ornwick.Velloria";
} // namespace

QIcon ProgramIcon() {
    // One rendering per size, in folders named like the theme's: ":/icons/32x32/…".
    QIcon builtIn;
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString& size : sizes.entryList(QDir::Dirs))
        builtIn.addFile(sizes.filePath(size + QLatin1Char('/') + QLatin1String(IconName) +
                                       QStringLiteral(".png")));
    return QIcon::fromTheme(QLatin1String(IconName), builtIn);
}
