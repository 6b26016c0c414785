#include "XfconfWallpaper.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QRegularExpression>

namespace {
const QString Service = QStringLiteral("org.xfce.Xfconf");
const QString ObjectPath = QStringLiteral("/org/xfce/Xfconf");
const QString Interface = QStringLiteral("org.xfce.Xfconf");
const QString Channel = QStringLiteral("xfce4-desktop");
const QString ImageSuffix = QStringLiteral("/last-image");
const QString StyleSuffix = QStringLiteral("/image-style");
const int CallTimeoutMs = 5000;
const TServiceStyles<int> ImageStyles = {2, 1, 3, 5, 4};
// The image-style of a backdrop that shows its colours only.
const int NoImageStyle = 0;

// The reason a call failed: the bus's or the daemon's own words.
QString CallError(const QDBusMessage& reply) {
    return QStringLiteral("xfconf: %1 (%2)").arg(reply.errorMessage(), reply.errorName());
}

QString StyleProperty(const QString& imageProperty) {
    return imageProperty.chopped(ImageSuffix.size()) + StyleSuffix;
}

// xfconf names a monitor by its output name without blanks.
QString MonitorImageProperty(QString monitorName) {
    monitorName.remove(QRegularExpression(QStringLiteral("\\s")));
    return QStringLiteral("/backdrop/screen0/monitor") + monitorName +
           QStringLiteral("/workspace0") + ImageSuffix;
}

// The wallpaper properties present, in name order.
QStringList ImageProperties(const QVariantMap& properties) {
    static const QRegularExpression imageProperty(
        QStringLiteral("^/backdrop/screen\\d+/monitor[^/]+/workspace\\d+/last-image$"));
    QStringList images;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        if (imageProperty.match(it.key()).hasMatch())
            images << it.key();
    return images;
}
} // namespace

TXfconfWallpaper::TXfconfWallpaper(const QDBusConnection& bus, const QStringList& monitorNames)
    : FBus(bus), FMonitorNames(monitorNames) {}

QString TXfconfWallpaper::Name() const {
    return QStringLiteral("xfce");
}

bool TXfconfWallpaper::GetWallpaper(QString& fileName, TLxWallpaperStyle& style) {
    fileName.clear();
    style = wsCentered;
    QVariantMap properties;
    if (!ReadChannel(properties))
        return false;
    const QStringList images = ImageProperties(properties);
    if (images.isEmpty())
        return Failed(
            QStringLiteral("xfconf holds no wallpaper yet (no .../last-image in %1)").arg(Channel));
    fileName = properties.value(images.first()).toString();
    const QVariant styleValue = properties.value(StyleProperty(images.first()));
    style = styleValue.isValid() ? StyleFromService(styleValue.toInt(), ImageStyles) : wsCentered;
    if (styleValue.isValid() && styleValue.toInt() == NoImageStyle)
        fileName.clear();
    QVariantMap read;
    for (const QString& image : images)
        for (const QString& property : {image, StyleProperty(image)})
            if (properties.contains(property))
                read.insert(property, properties.value(property));
    FReported.Remember(fileName, style, read);
    return Succeeded();
}

QStringList TXfconfWallpaper::AsIsExtensions() const {
    return CommonAsIsExtensions() << QStringLiteral(".png") << QStringLiteral(".svg")
                                  << QStringLiteral(".svgz");
}

bool TXfconfWallpaper::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    if (const QVariantMap* reported = FReported.Find(fileName, style)) {
        bool written = true;
        for (auto it = reported->cbegin(); it != reported->cend(); ++it)
            written = SetProperty(it.key(), it.value()) && written;
        return written ? Succeeded() : false;
    }
    QVariantMap properties;
    if (!ReadChannel(properties))
        return false;
    QStringList images = ImageProperties(properties);
    if (images.isEmpty()) {
        for (const QString& monitor : FMonitorNames)
            images << MonitorImageProperty(monitor);
        if (images.isEmpty())
            images << MonitorImageProperty(QStringLiteral("0"));
    }
    bool written = true;
    // No picture: the backdrops keep their file names and show their colours only.
    for (const QString& image : images) {
        if (!fileName.isEmpty())
            written = SetProperty(image, fileName) && written;
        const int imageStyle =
            fileName.isEmpty() ? NoImageStyle : StyleToService(style, ImageStyles);
        written = SetProperty(StyleProperty(image), imageStyle) && written;
    }
    return written ? Succeeded() : false;
}

bool TXfconfWallpaper::ReadChannel(QVariantMap& properties) {
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, Interface,
                                                       QStringLiteral("GetAllProperties"));
    // The whole channel: asking for "/backdrop" fails while the channel has no backdrop yet.
    call << Channel << QStringLiteral("/");
    const QDBusMessage reply = FBus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return Failed(CallError(reply));
    if (reply.arguments().size() != 1)
        return Failed(QStringLiteral("xfconf gave an unexpected answer to GetAllProperties"));
    properties = qdbus_cast<QVariantMap>(reply.arguments().first());
    return true;
}

bool TXfconfWallpaper::SetProperty(const QString& property, const QVariant& value) {
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, Interface,
                                                       QStringLiteral("SetProperty"));
    call << Channel << property << QVariant::fromValue(QDBusVariant(value));
    const QDBusMessage reply = FBus.call(call, QDBus::Block, CallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage || Failed(CallError(reply));
}
