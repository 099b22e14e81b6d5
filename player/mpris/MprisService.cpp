#include "MprisService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDebug>

#include "MprisAdaptors.h"
#include "MprisBridge.h"

namespace {
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.peltose");
}  // namespace

MprisService::MprisService(frmPelto& window, const QString& desktopEntry)
    : bridge_(std::make_unique<MprisBridge>(window)) {
    new MprisRootAdaptor(*bridge_, desktopEntry);
    new MprisPlayerAdaptor(*bridge_);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QObject::connect(bridge_.get(), &MprisBridge::PropertiesChanged, bridge_.get(),
                     [](const QString& interfaceName, const QVariantMap& changed) {
                         QDBusMessage signal = QDBusMessage::createSignal(
                             kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                             QStringLiteral("PropertiesChanged"));
                         signal << interfaceName << changed << QStringList();
                         QDBusConnection::sessionBus().send(signal);
                     });
    if (!bus.registerObject(kObjectPath, bridge_.get(), QDBusConnection::ExportAdaptors)) {
        qWarning("PeltoSE: no remote control: %s", qPrintable(bus.lastError().message()));
        return;
    }
    // Queued names would hand a later copy our name when we quit; it would be another player then.
    for (const QString& name :
         {kBusName, kBusName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService).value() ==
            QDBusConnectionInterface::ServiceRegistered) {
            busName_ = name;
            return;
        }
    }
    qWarning("PeltoSE: no remote control: the bus name is taken");
}

MprisService::~MprisService() {
    if (busName_.isEmpty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(busName_);
    bus.unregisterObject(kObjectPath);
}
