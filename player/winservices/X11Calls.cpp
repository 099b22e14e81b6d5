#include "X11Calls.h"

#include <dlfcn.h>
#include <QGuiApplication>
#include <memory>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// Entry points looked up at run time; the headers give their types only.
struct Library {
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XGetWindowProperty) getWindowProperty = nullptr;
    decltype(&XChangeProperty) changeProperty = nullptr;
    decltype(&XFlush) flush = nullptr;
    decltype(&XFree) free = nullptr;
    decltype(&XForceScreenSaver) forceScreenSaver = nullptr;
    void (*screenSaverSuspend)(Display*, Bool) = nullptr;  // libXss
    bool loaded = false;
};

template <typename F>
bool Resolve(void* library, const char* name, F& out) {
    out = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return out != nullptr;
}

const Library& Lib() {
    static const Library lib = [] {
        Library l;
        // Never closed: Qt's xcb platform holds the same library for the whole run.
        void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        void* xss = dlopen("libXss.so.1", RTLD_LAZY | RTLD_LOCAL);
        l.loaded = Resolve(x11, "XInternAtom", l.internAtom) &&
                   Resolve(x11, "XGetWindowProperty", l.getWindowProperty) &&
                   Resolve(x11, "XChangeProperty", l.changeProperty) && Resolve(x11, "XFlush", l.flush) &&
                   Resolve(x11, "XFree", l.free) && Resolve(x11, "XForceScreenSaver", l.forceScreenSaver);
        Resolve(xss, "XScreenSaverSuspend", l.screenSaverSuspend);
        return l;
    }();
    return lib;
}

Display* X11Display() {
    if (!qApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || !Lib().loaded) return nullptr;
    return x11->display();
}

struct XFreeDeleter {
    void operator()(unsigned char* data) const {
        if (data) Lib().free(data);
    }
};
using XData = std::unique_ptr<unsigned char, XFreeDeleter>;

bool WindowManagerRunning(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const int status = Lib().getWindowProperty(display, DefaultRootWindow(display),
                                               Lib().internAtom(display, "_NET_SUPPORTING_WM_CHECK", False),
                                               0, 1, False, XA_WINDOW, &type, &format, &count, &after, &raw);
    const XData data(raw);
    return status == Success && count > 0;
}

}  // namespace

bool X11Calls::Available() {
    return X11Display() != nullptr;
}

bool X11Calls::SuspendScreenSaver(bool suspend) {
    Display* display = X11Display();
    if (!display || !Lib().screenSaverSuspend) return false;
    Lib().screenSaverSuspend(display, suspend ? True : False);
    Lib().flush(display);
    return true;
}

void X11Calls::ResetScreenSaver() {
    if (Display* display = X11Display()) {
        Lib().forceScreenSaver(display, ScreenSaverReset);
        Lib().flush(display);
    }
}

// A window manager keeps the state of a mapped window on request; without one nobody answers the
// request, so the window's state is written here.
void X11Calls::SetAboveWithoutWindowManager(quintptr window, bool on) {
    Display* display = X11Display();
    if (!display || window == 0 || WindowManagerRunning(display)) return;
    const Library& x = Lib();
    const Atom state = x.internAtom(display, "_NET_WM_STATE", False);
    const Atom above = x.internAtom(display, "_NET_WM_STATE_ABOVE", False);
    const Atom staysOnTop = x.internAtom(display, "_NET_WM_STATE_STAYS_ON_TOP", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    std::vector<Atom> atoms;
    if (x.getWindowProperty(display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                            &raw) == Success) {
        const XData data(raw);
        if (data && format == 32) {
            const auto* list = reinterpret_cast<const Atom*>(data.get());
            for (unsigned long i = 0; i < count; ++i)
                if (list[i] != above && list[i] != staysOnTop) atoms.push_back(list[i]);
        }
    }
    if (on) atoms.insert(atoms.end(), {above, staysOnTop});
    x.changeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                     reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    x.flush(display);
}

void X11Calls::ClearCaption(quintptr window) {
    Display* display = X11Display();
    if (!display || window == 0) return;
    const Library& x = Lib();
    const Atom utf8 = x.internAtom(display, "UTF8_STRING", False);
    const unsigned char none[] = "";
    x.changeProperty(display, window, x.internAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                     none, 0);
    x.changeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, none, 0);
    x.flush(display);
}
