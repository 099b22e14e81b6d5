#include "ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>

#include "X11Calls.h"

namespace {

// A desktop may be slow to answer, but a missing service is refused by the bus at once.
constexpr int kCallTimeoutMs = 3000;

const QString kApplication = QStringLiteral("PeltoSE");
const QString kReason = QStringLiteral("Playing media");
// The idle flag of the portal and of the GNOME session manager.
constexpr quint32 kInhibitIdle = 8;

struct Hold {
    ScreenSaver::Holder holder = ScreenSaver::Holder::None;
    quint32 cookie = 0;
    QString request;  // the portal's request object, closed to release
};

Hold hold;  // only touched on the UI thread

QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& args) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return {};
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    return bus.call(message, QDBus::Block, kCallTimeoutMs);
}

bool Answered(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

bool InhibitByPortal() {
    const QVariantMap options{{QStringLiteral("reason"), kReason}};
    const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.portal.Desktop"),
                                    QStringLiteral("/org/freedesktop/portal/desktop"),
                                    QStringLiteral("org.freedesktop.portal.Inhibit"),
                                    QStringLiteral("Inhibit"), {QString(), kInhibitIdle, options});
    if (!Answered(reply)) return false;
    const QString request = reply.arguments().first().value<QDBusObjectPath>().path();
    if (request.isEmpty()) return false;
    hold = {ScreenSaver::Holder::Portal, 0, request};
    return true;
}

// The cookie services: the same call with different names.
struct CookieService {
    ScreenSaver::Holder holder;
    const char* service;
    const char* path;
    const char* interface;
    const char* release;
};

constexpr CookieService kCookieServices[] = {
    {ScreenSaver::Holder::FreedesktopScreenSaver, "org.freedesktop.ScreenSaver",
     "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "UnInhibit"},
    {ScreenSaver::Holder::PowerManagement, "org.freedesktop.PowerManagement",
     "/org/freedesktop/PowerManagement/Inhibit", "org.freedesktop.PowerManagement.Inhibit", "UnInhibit"},
    {ScreenSaver::Holder::GnomeSession, "org.gnome.SessionManager", "/org/gnome/SessionManager",
     "org.gnome.SessionManager", "Uninhibit"},
};

bool InhibitByCookie(const CookieService& s) {
    const QVariantList args = s.holder == ScreenSaver::Holder::GnomeSession
                                  ? QVariantList{kApplication, quint32(0), kReason, kInhibitIdle}
                                  : QVariantList{kApplication, kReason};
    const QDBusMessage reply = Call(QLatin1String(s.service), QLatin1String(s.path),
                                    QLatin1String(s.interface), QStringLiteral("Inhibit"), args);
    if (!Answered(reply) || reply.signature() != QLatin1String("u")) return false;
    hold = {s.holder, reply.arguments().first().toUInt(), {}};
    return true;
}

bool ReleaseCookie(const CookieService& s) {
    const QDBusMessage reply = Call(QLatin1String(s.service), QLatin1String(s.path),
                                    QLatin1String(s.interface), QLatin1String(s.release), {hold.cookie});
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool ScreenSaver::Inhibit() {
    if (hold.holder != Holder::None) return true;
    if (InhibitByPortal()) return true;
    for (const CookieService& s : kCookieServices)
        if (InhibitByCookie(s)) return true;
    if (X11Calls::SuspendScreenSaver(true)) {
        hold = {Holder::X11, 0, {}};
        return true;
    }
    return false;
}

bool ScreenSaver::Release() {
    const Hold held = hold;
    bool released = false;
    switch (held.holder) {
        case Holder::None:
            return false;
        case Holder::Portal:
            released = Call(QStringLiteral("org.freedesktop.portal.Desktop"), held.request,
                            QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"), {})
                           .type() == QDBusMessage::ReplyMessage;
            break;
        case Holder::X11:
            released = X11Calls::SuspendScreenSaver(false);
            break;
        default:
            for (const CookieService& s : kCookieServices)
                if (s.holder == held.holder) released = ReleaseCookie(s);
            break;
    }
    // A service that refuses the release has forgotten the hold already (it restarted, say).
    hold = {};
    return released;
}

ScreenSaver::Holder ScreenSaver::CurrentHolder() {
    return hold.holder;
}
