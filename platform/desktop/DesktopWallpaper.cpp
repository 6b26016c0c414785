// GLib first: its headers use names that Qt defines as macros.
#include <glib.h>

#include "DesktopWallpaper.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
// An address that libdbus and GIO refuse at once (an unknown transport), launching no bus.
const QByteArray DisabledBusAddress = QByteArrayLiteral("disabled:");

const TServiceStyles<QString> StyleWords = {QStringLiteral("tiled"), QStringLiteral("centered"),
                                            QStringLiteral("stretched"), QStringLiteral("zoomed"),
                                            QStringLiteral("scaled")};
} // namespace

QString StyleWord(TLxWallpaperStyle style) {
    return StyleToService(style, StyleWords);
}

bool StyleFromWord(const QString& word, TLxWallpaperStyle& style) {
    if (std::find(StyleWords.begin(), StyleWords.end(), word) == StyleWords.end())
        return false;
    style = StyleFromService(word, StyleWords);
    return true;
}

QString FileNameFromSetting(const QString& value) {
    gchar* bytes = g_filename_from_uri(value.toUtf8().constData(), nullptr, nullptr);
    const QString fileName = bytes ? QFile::decodeName(bytes) : value;
    g_free(bytes);
    return fileName;
}

bool SessionBusAnnounced() {
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address != DisabledBusAddress;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

void PreventSessionBusLaunch() {
    if (!SessionBusAnnounced())
        qputenv("DBUS_SESSION_BUS_ADDRESS", DisabledBusAddress);
}
