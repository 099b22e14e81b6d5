#include "WindowUtils.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace {

bool ending = false;
int screenPointer = 0;
quint32 inhibitCookie = 0;
bool inhibited = false;

Display* X11Display() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// Octal escapes in /proc/self/mounts ("\040" for a blank).
QString UnescapeMountField(const QString& field) {
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == u'\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

struct XFreeDeleter {
    void operator()(unsigned char* data) const {
        if (data) XFree(data);
    }
};
using XData = std::unique_ptr<unsigned char, XFreeDeleter>;

bool WindowManagerRunning(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display),
                                          XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1,
                                          False, XA_WINDOW, &type, &format, &count, &after, &raw);
    const XData data(raw);
    return status == Success && count > 0;
}

// A window manager keeps the state of a mapped window on request; without one nobody answers the
// request, so the window's state is written here.
void SetAboveStateWithoutWindowManager(WId window, bool on) {
    Display* display = X11Display();
    if (!display || window == 0 || WindowManagerRunning(display)) return;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom above = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);
    const Atom staysOnTop = XInternAtom(display, "_NET_WM_STATE_STAYS_ON_TOP", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                           &raw) == Success) {
        const XData data(raw);
        if (data && format == 32) {
            const auto* list = reinterpret_cast<const Atom*>(data.get());
            for (unsigned long i = 0; i < count; ++i)
                if (list[i] != above && list[i] != staysOnTop) atoms.push_back(list[i]);
        }
    }
    if (on) atoms.insert(atoms.end(), {above, staysOnTop});
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    XFlush(display);
}

}  // namespace

void WindowUtils::SetTopmost(QWidget* window, bool on) {
    if (!window) return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the widget's flags would re-create its native window: a new window id, and the
    // window unmapped and mapped again. Tell the existing window instead.
    window->overrideWindowFlags(flags);
    if (!window->testAttribute(Qt::WA_WState_Created)) return;  // the flags apply when it is made
    if (QWindow* handle = window->windowHandle()) {
        handle->setFlags(flags);
        SetAboveStateWithoutWindowManager(handle->winId(), on);
    }
    if (on) window->raise();
}

bool WindowUtils::SetScreenSaverActive(bool active) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusInterface saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                             QStringLiteral("/org/freedesktop/ScreenSaver"),
                             QStringLiteral("org.freedesktop.ScreenSaver"), bus);
        if (saver.isValid()) {
            if (!active && !inhibited) {
                QDBusReply<quint32> reply = saver.call(QStringLiteral("Inhibit"), QStringLiteral("PeltoSE"),
                                                       QStringLiteral("Playing media"));
                if (reply.isValid()) {
                    inhibitCookie = reply.value();
                    inhibited = true;
                    return true;
                }
            } else if (active && inhibited) {
                QDBusMessage reply = saver.call(QStringLiteral("UnInhibit"), inhibitCookie);
                inhibited = false;
                return reply.type() == QDBusMessage::ReplyMessage;
            } else {
                return true;
            }
        }
    }
    if (Display* display = X11Display()) {
        XScreenSaverSuspend(display, active ? False : True);
        XFlush(display);
        return true;
    }
    return false;
}

void WindowUtils::DisplayOn() {
    if (Display* display = X11Display()) {
        XForceScreenSaver(display, ScreenSaverReset);
        XFlush(display);
    }
}

void WindowUtils::EndProgram() {
    if (ending) return;
    ending = true;
    SetScreenSaverActive(true);
    // Forms are top-level widgets marked as such; closing the main window runs its unload.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->property("peltoForm").toBool()) continue;
        w->hide();
        w->close();
    }
    QCoreApplication::exit(0);
}

bool WindowUtils::Ending() {
    return ending;
}
void WindowUtils::ResetForTests() {
    ending = false;
    SetScreenPointer(0);
}

QString WindowUtils::FindCdDrive() {
    QFile info(QStringLiteral("/proc/sys/dev/cdrom/info"));
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    QString infoText, mountsText;
    if (info.open(QIODevice::ReadOnly)) infoText = QString::fromLocal8Bit(info.readAll());
    if (mounts.open(QIODevice::ReadOnly)) mountsText = QString::fromLocal8Bit(mounts.readAll());
    return FindCdDrive(infoText, mountsText);
}

QString WindowUtils::FindCdDrive(const QString& cdromInfo, const QString& mounts) {
    QString drive;
    for (const QString& line : cdromInfo.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("drive name:"))) continue;
        const QStringList names = line.mid(11).split(u'\t', Qt::SkipEmptyParts);
        const QStringList trimmed =
            names.isEmpty() ? QStringList() : names.first().split(u' ', Qt::SkipEmptyParts);
        if (!trimmed.isEmpty()) drive = trimmed.first();
        break;
    }
    if (drive.isEmpty()) return {};
    const QString device = QStringLiteral("/dev/") + drive;
    for (const QString& line : mounts.split(u'\n')) {
        const QStringList fields = line.split(u' ');
        if (fields.size() < 2 || UnescapeMountField(fields[0]) != device) continue;
        QString mountPoint = UnescapeMountField(fields[1]);
        if (!mountPoint.endsWith(u'/')) mountPoint += u'/';
        return mountPoint;
    }
    return {};
}

void WindowUtils::SetScreenPointer(int pointer) {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    screenPointer = pointer;
    if (pointer == 1) QApplication::setOverrideCursor(Qt::ArrowCursor);
}

int WindowUtils::ScreenPointer() {
    return screenPointer;
}

void WindowUtils::DragWindow(QWidget* window) {
    if (QWindow* handle = window ? window->windowHandle() : nullptr) handle->startSystemMove();
}

void WindowUtils::SetCaption(QWidget* window, const QString& caption) {
    if (!window) return;
    window->setWindowTitle(caption);
    Display* display = X11Display();
    if (!caption.isEmpty() || !display || QGuiApplication::platformName() != QLatin1String("xcb") ||
        !window->testAttribute(Qt::WA_WState_Created))
        return;
    const Window id = static_cast<Window>(window->winId());
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const unsigned char none[] = "";
    XChangeProperty(display, id, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace, none,
                    0);
    XChangeProperty(display, id, XA_WM_NAME, XA_STRING, 8, PropModeReplace, none, 0);
    XFlush(display);
}
