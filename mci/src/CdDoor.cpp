#include "CdDoor.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>

#include <fstream>

#include "mci/mci.h"

namespace mci {
namespace {

// A disc spins down and the tray moves in a few seconds; a missing service is refused at once.
constexpr int kUDisksTimeoutMs = 20000;
const QString kUDisks = QStringLiteral("org.freedesktop.UDisks2");

// The kernel lists drives as "drive name:\tsr0\tsr1..."; the first is ours.
std::string firstDrive() {
    std::ifstream info("/proc/sys/dev/cdrom/info");
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("drive name:", 0) != 0) continue;
        const auto start = line.find_first_not_of(" \t", 11);
        if (start == std::string::npos) return {};
        const auto end = line.find_first_of(" \t", start);
        return "/dev/" + line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    return {};
}

int doorIoctl(const std::string& drive, bool closed) {
    // O_NONBLOCK: an open door or an empty drive must not make the open wait for a disc.
    const int fd = ::open(drive.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return ErrHardware;
    const int rc = ::ioctl(fd, closed ? CDROMCLOSETRAY : CDROMEJECT, 0);
    ::close(fd);
    return rc == 0 ? Ok : ErrHardware;
}

QDBusMessage callUDisks(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& args) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return {};
    QDBusMessage message = QDBusMessage::createMethodCall(kUDisks, path, interface, method);
    message.setArguments(args);
    return bus.call(message, QDBus::Block, kUDisksTimeoutMs);
}

// UDisks2 names a block device's object after the kernel's name for it.
QString blockObject(const std::string& drive) {
    const std::string name = drive.substr(drive.rfind('/') + 1);
    return QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + QString::fromStdString(name);
}

// NotDone: no UDisks2, or it would not eject (the ioctl may still, on a disc nothing mounted).
enum class Outcome { Done, Busy, NotDone };

// Unmount (a disc that is not mounted, or has no file system, is fine), then eject.
Outcome ejectByUDisks(const std::string& drive) {
    const QString block = blockObject(drive);
    const QDBusMessage driveReply =
        callUDisks(block, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                   {QStringLiteral("org.freedesktop.UDisks2.Block"), QStringLiteral("Drive")});
    if (driveReply.type() != QDBusMessage::ReplyMessage || driveReply.arguments().isEmpty())
        return Outcome::NotDone;
    const QString driveObject =
        driveReply.arguments().first().value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    if (driveObject.isEmpty() || driveObject == QLatin1String("/")) return Outcome::NotDone;

    const QDBusMessage unmount = callUDisks(block, QStringLiteral("org.freedesktop.UDisks2.Filesystem"),
                                            QStringLiteral("Unmount"), {QVariantMap()});
    if (unmount.type() != QDBusMessage::ReplyMessage) {
        const QString error = unmount.errorName();
        const bool nothingMounted = error == QLatin1String("org.freedesktop.UDisks2.Error.NotMounted") ||
                                    error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
                                    error == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface");
        // Still in use: ejecting now would pull the disc from under its reader.
        if (!nothingMounted) return Outcome::Busy;
    }
    const QDBusMessage eject = callUDisks(driveObject, QStringLiteral("org.freedesktop.UDisks2.Drive"),
                                          QStringLiteral("Eject"), {QVariantMap()});
    return eject.type() == QDBusMessage::ReplyMessage ? Outcome::Done : Outcome::NotDone;
}

}  // namespace

DoorResult moveCdDoor(const std::string& drive, bool closed) {
    // UDisks2 has no call that closes a tray: an open tray holds nothing mounted, so the ioctl can.
    if (!closed) {
        switch (ejectByUDisks(drive)) {
            case Outcome::Done:
                return {Ok, DoorPath::UDisks};
            case Outcome::Busy:
                return {ErrHardware, DoorPath::UDisks};
            case Outcome::NotDone:
                break;
        }
    }
    return {doorIoctl(drive, closed), DoorPath::Ioctl};
}

int setCdDoor(bool closed) {
    const std::string drive = firstDrive();
    if (drive.empty()) return ErrHardware;
    return moveCdDoor(drive, closed).code;
}

}  // namespace mci
