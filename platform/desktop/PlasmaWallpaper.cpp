#include "PlasmaWallpaper.h"

#include "PlasmaAppletsFile.h"

#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace {
const int CallTimeoutMs = 10000;

// A JavaScript string literal for the text.
QString ScriptString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// Gives every desktop the picture wallpaper with this file and fill mode.
QString WallpaperScript(const QString& fileName, TLxWallpaperStyle style) {
    // The URL form percent-encodes "#", which Plasma would otherwise read as a light/dark variant.
    const QString url = QString::fromLatin1(QUrl::fromLocalFile(fileName).toEncoded());
    return QStringLiteral("var ds = desktops();\n"
                          "for (var i = 0; i < ds.length; ++i) {\n"
                          "  var d = ds[i];\n"
                          "  d.wallpaperPlugin = %1;\n"
                          "  d.currentConfigGroup = [\"Wallpaper\", %1, \"General\"];\n"
                          "  d.writeConfig(\"Image\", %2);\n"
                          "  d.writeConfig(\"FillMode\", %3);\n"
                          "}\n")
        .arg(ScriptString(PlasmaImagePlugin), ScriptString(url),
             QString::number(StyleToService(style, PlasmaFillModes)));
}

// Gives every desktop Plasma's plain colour wallpaper: no picture at all.
QString NoPictureScript() {
    return QStringLiteral("var ds = desktops();\n"
                          "for (var i = 0; i < ds.length; ++i)\n"
                          "  ds[i].wallpaperPlugin = \"org.kde.color\";\n");
}
} // namespace

TPlasmaWallpaper::TPlasmaWallpaper(const QDBusConnection& bus, const QString& configFolder)
    : FBus(bus), FConfigFolder(configFolder) {}

QString TPlasmaWallpaper::Name() const {
    return QStringLiteral("kde");
}

bool TPlasmaWallpaper::GetWallpaper(QString& fileName, TLxWallpaperStyle& style) {
    const QString appletsFile =
        FConfigFolder + QStringLiteral("/plasma-org.kde.plasma.desktop-appletsrc");
    if (ReadPlasmaAppletsFile(appletsFile, fileName, style))
        return Succeeded();
    return Failed(
        QStringLiteral("%1 cannot be read or names no picture wallpaper").arg(appletsFile));
}

QStringList TPlasmaWallpaper::AsIsExtensions() const {
    return CommonAsIsExtensions() << QStringLiteral(".png") << QStringLiteral(".svg")
                                  << QStringLiteral(".svgz") << QStringLiteral(".webp");
}

bool TPlasmaWallpaper::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << (fileName.isEmpty() ? NoPictureScript() : WallpaperScript(fileName, style));
    const QDBusMessage reply = FBus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Succeeded();
    return Failed(QStringLiteral("Plasma: %1 (%2)").arg(reply.errorMessage(), reply.errorName()));
}
