#include "GdkPixbufLoaders.h"

#include <QFile>
#include <QFileInfo>

namespace {
QString Setting(const char* variable, const char* fallback) {
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QString::fromUtf8(fallback) : value;
}
} // namespace

bool GdkPixbufLoaderInstalled(const QString& format) {
    QFile cache(Setting("GDK_PIXBUF_MODULE_FILE", GDK_PIXBUF_CACHE_FILE));
    if (!cache.open(QIODevice::ReadOnly)) {
        const QString folder = Setting("GDK_PIXBUF_MODULEDIR", GDK_PIXBUF_MODULE_DIR);
        return QFileInfo::exists(folder + QStringLiteral("/libpixbufloader-") + format +
                                 QStringLiteral(".so"));
    }
    // A loader's entry names its format at the start of one line ("webp" 4 "domain" ...) and
    // usually its extensions on another ("webp" ""); no other loader's line starts so.
    const QByteArray entry = '"' + format.toUtf8() + "\" ";
    while (!cache.atEnd())
        if (cache.readLine().startsWith(entry))
            return true;
    return false;
}
