#!/usr/bin/python3
"""A stand-in for UDisks2 with one optical drive, for tests; run it on a private bus that the
program under test takes for its system bus.

Usage: fake_udisks.py KERNEL_NAME [--mounted] [--no-filesystem] [--busy] [--refuse-eject]
Prints "ready" once the name is owned. Test interface org.pelto.test.UDisks: Events() -> calls seen.
"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

BLOCK = "org.freedesktop.UDisks2.Block"
FILESYSTEM = "org.freedesktop.UDisks2.Filesystem"
DRIVE = "org.freedesktop.UDisks2.Drive"
DRIVE_PATH = "/org/freedesktop/UDisks2/drives/Pelto_Test_DVD_0001"


class Block(dbus.service.Object):
    def __init__(self, bus, name, options, events):
        super().__init__(bus, "/org/freedesktop/UDisks2/block_devices/" + name)
        self.name, self.options, self.events = name, options, events
        self.mounted = "--mounted" in options

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        if interface == BLOCK and prop == "Drive":
            return dbus.ObjectPath(DRIVE_PATH)
        if interface == BLOCK and prop == "Device":
            return dbus.ByteArray(("/dev/%s\0" % self.name).encode())
        raise dbus.exceptions.DBusException("no property", name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.method(FILESYSTEM, in_signature="a{sv}", out_signature="")
    def Unmount(self, options):
        if "--no-filesystem" in self.options:
            raise dbus.exceptions.DBusException("no file system",
                                                name="org.freedesktop.DBus.Error.UnknownMethod")
        if not self.mounted:
            self.events.append("unmount: not mounted")
            raise dbus.exceptions.DBusException("not mounted", name="org.freedesktop.UDisks2.Error.NotMounted")
        if "--busy" in self.options:
            self.events.append("unmount: busy")
            raise dbus.exceptions.DBusException("target is busy", name="org.freedesktop.UDisks2.Error.DeviceBusy")
        self.mounted = False
        self.events.append("unmount")


class Drive(dbus.service.Object):
    def __init__(self, bus, block, options, events):
        super().__init__(bus, DRIVE_PATH)
        self.block, self.options, self.events = block, options, events

    @dbus.service.method(DRIVE, in_signature="a{sv}", out_signature="")
    def Eject(self, options):
        if "--refuse-eject" in self.options:
            self.events.append("eject: refused")
            raise dbus.exceptions.DBusException("not authorized", name="org.freedesktop.UDisks2.Error.NotAuthorized")
        # The real service refuses to eject a mounted disc too.
        if self.block.mounted:
            self.events.append("eject: mounted")
            raise dbus.exceptions.DBusException("mounted", name="org.freedesktop.UDisks2.Error.Failed")
        self.events.append("eject")


class Test(dbus.service.Object):
    def __init__(self, bus, events):
        super().__init__(bus, "/org/pelto/test")
        self.events = events

    @dbus.service.method("org.pelto.test.UDisks", out_signature="as")
    def Events(self):
        return self.events


def main():
    name, options = sys.argv[1], sys.argv[2:]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    events = []
    block = Block(bus, name, options, events)
    objects = [block, Drive(bus, block, options, events), Test(bus, events)]
    bus_name = dbus.service.BusName("org.freedesktop.UDisks2", bus, do_not_queue=True)
    print("ready", flush=True)
    loop = GLib.MainLoop()
    GLib.io_add_watch(sys.stdin, GLib.IO_HUP | GLib.IO_IN, lambda *a: loop.quit())
    loop.run()
    del bus_name, objects


if __name__ == "__main__":
    main()
