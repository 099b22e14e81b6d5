#!/usr/bin/python3
"""One desktop inhibition service on the session bus, for tests.

Usage: fake_inhibitor.py KIND [--refuse]
KIND: portal, screensaver, powermanagement, gnome. With --refuse every Inhibit call fails, as on a
desktop whose service is present but broken. Prints "ready" once the name is owned.
A hold is dropped when its holder releases it or leaves the bus, as the real services do.
Test interface org.pelto.test.Inhibitor: Held() -> number of holds; Events() -> what happened;
signal Changed(held).
"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

KINDS = {
    "portal": ("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
               "org.freedesktop.portal.Inhibit"),
    "screensaver": ("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                    "org.freedesktop.ScreenSaver"),
    "powermanagement": ("org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
                        "org.freedesktop.PowerManagement.Inhibit"),
    "gnome": ("org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager"),
}
TEST_IFACE = "org.pelto.test.Inhibitor"


class Request(dbus.service.Object):
    def __init__(self, service, path, cookie):
        super().__init__(service.bus, path)
        self.service, self.cookie = service, cookie

    @dbus.service.method("org.freedesktop.portal.Request", in_signature="", out_signature="")
    def Close(self):
        self.service.drop(self.cookie, "release")
        self.remove_from_connection()


class Service(dbus.service.Object):
    def __init__(self, bus, kind, refuse):
        self.bus, self.kind, self.refuse = bus, kind, refuse
        super().__init__(bus, KINDS[kind][1])
        self.holds = {}  # cookie -> sender
        self.events = []
        self.next = 1
        bus.add_signal_receiver(self.owner_changed, "NameOwnerChanged", "org.freedesktop.DBus")

    def take(self, sender, detail):
        if self.refuse:
            raise dbus.exceptions.DBusException("refused", name="org.pelto.test.Refused")
        cookie = self.next
        self.next += 1
        self.holds[cookie] = sender
        self.events.append("inhibit " + detail)
        self.Changed(len(self.holds))
        return cookie

    def drop(self, cookie, how):
        if self.holds.pop(cookie, None) is None:
            raise dbus.exceptions.DBusException("no such hold", name="org.pelto.test.NoHold")
        self.events.append(how)
        self.Changed(len(self.holds))

    def owner_changed(self, name, old, new):
        if new or not name.startswith(":"):
            return
        for cookie in [c for c, s in self.holds.items() if s == name]:
            self.drop(cookie, "holder gone")

    def release(self, cookie, sender):
        if self.holds.get(int(cookie)) != sender:
            raise dbus.exceptions.DBusException("not yours", name="org.pelto.test.NoHold")
        self.drop(int(cookie), "release")

    @dbus.service.method(TEST_IFACE, out_signature="u")
    def Held(self):
        return len(self.holds)

    @dbus.service.method(TEST_IFACE, out_signature="as")
    def Events(self):
        return self.events

    @dbus.service.signal(TEST_IFACE, signature="u")
    def Changed(self, held):
        pass


class Portal(Service):
    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}", out_signature="o",
                         sender_keyword="sender")
    def Inhibit(self, window, flags, options, sender):
        cookie = self.take(sender, "flags=%d reason=%s" % (flags, options.get("reason", "")))
        path = "/org/freedesktop/portal/desktop/request/%s/t%d" % (sender[1:].replace(".", "_"), cookie)
        Request(self, path, cookie)
        return dbus.ObjectPath(path)


def cookie_service(interface, release_name, gnome):
    """A service that answers Inhibit with a cookie; the class is built whole for dbus-python."""
    if gnome:
        def inhibit(self, app, xid, reason, flags, sender=None):
            return dbus.UInt32(self.take(sender, "%s xid=%d %s flags=%d" % (app, xid, reason, flags)))
    else:
        def inhibit(self, app, reason, sender=None):
            return dbus.UInt32(self.take(sender, "%s %s" % (app, reason)))

    def release(self, cookie, sender=None):
        Service.release(self, cookie, sender)

    methods = {
        "Inhibit": dbus.service.method(interface, in_signature="susu" if gnome else "ss", out_signature="u",
                                       sender_keyword="sender")(inhibit),
        release_name: dbus.service.method(interface, in_signature="u", out_signature="",
                                          sender_keyword="sender")(release),
    }
    for f, name in ((inhibit, "Inhibit"), (release, release_name)):
        f.__name__ = name
    return type(Service)("CookieService", (Service,), methods)


def main():
    kind = sys.argv[1]
    refuse = "--refuse" in sys.argv[2:]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name, _, interface = KINDS[kind]
    if kind == "portal":
        cls = Portal
    elif kind == "gnome":
        cls = cookie_service(interface, "Uninhibit", True)
    else:
        cls = cookie_service(interface, "UnInhibit", False)
    service = cls(bus, kind, refuse)
    bus_name = dbus.service.BusName(name, bus, do_not_queue=True)
    print("ready", flush=True)
    loop = GLib.MainLoop()
    GLib.io_add_watch(sys.stdin, GLib.IO_HUP | GLib.IO_IN, lambda *a: loop.quit())
    loop.run()
    del bus_name, service


if __name__ == "__main__":
    main()
