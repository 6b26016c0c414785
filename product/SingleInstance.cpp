#include "SingleInstance.h"

#include "AppShell.h"
#include "DesktopWallpaper.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

const QString TSingleInstance::ServiceName = QStringLiteral("com.ornwick.Velloria");
const QString TSingleInstance::ObjectPath = QStringLiteral("/com/ornwick/Velloria");

TSingleInstance::TSingleInstance(std::function<void(const QString&)> open)
    : FOpen(std::move(open)) {}

bool TSingleInstance::Claim() {
    if (!SessionBusAnnounced())
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return true;
    // The object first, so that a second start never finds the name without Open behind it.
    bus.registerObject(ObjectPath, this, QDBusConnection::ExportAllSlots);
    const auto reply =
        bus.interface()->registerService(ServiceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    // A bus that cannot answer leaves nobody to hand over to.
    if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(ObjectPath);
    return false;
}

bool TSingleInstance::HandOver(const QString& folder, QString& error) {
    QDBusMessage call = QDBusMessage::createMethodCall(ServiceName, ObjectPath, ServiceName,
                                                       QStringLiteral("Open"));
    call << folder;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    error = reply.errorMessage();
    return false;
}

void TSingleInstance::Open(const QString& folder) {
    Guarded([&] { FOpen(folder); });
}
