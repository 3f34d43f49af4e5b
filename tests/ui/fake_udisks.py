#!/usr/bin/python3
"""A small stand-in for udisks2 on a private bus, for the window's tests.

  fake_udisks.py BUS_ADDRESS DEVICE_PATH IMAGE

Owns org.freedesktop.UDisks2 on BUS_ADDRESS and shows one removable USB drive
whose whole-disk block device is DEVICE_PATH, with one partition. The image
file IMAGE is opened read-only at start; Block.OpenDevice hands out copies of
that descriptor for mode "r". The first OpenDevice is refused as a user who
cancelled the password prompt would be; every mode but "r" is refused.
Prints "ready" once the name is owned; Calls() on the manager lists the calls
received, for the test to check.
"""
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

ROOT = "/org/freedesktop/UDisks2"
BLOCK = "org.freedesktop.UDisks2.Block"
DRIVE = "org.freedesktop.UDisks2.Drive"
PARTITION = "org.freedesktop.UDisks2.Partition"
MANAGER = "org.freedesktop.UDisks2.Manager"
PROPERTIES = "org.freedesktop.DBus.Properties"


class NotAuthorized(dbus.DBusException):
    _dbus_error_name = "org.freedesktop.UDisks2.Error.NotAuthorizedDismissed"


class Failed(dbus.DBusException):
    _dbus_error_name = "org.freedesktop.UDisks2.Error.Failed"


def byte_string(text):
    return dbus.ByteArray(text.encode() + b"\0")


class Object(dbus.service.Object):
    def __init__(self, bus, path, interfaces):
        super().__init__(bus, path)
        self.interfaces = interfaces

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        if interface not in self.interfaces:
            raise dbus.DBusException("No such interface",
                                     name="org.freedesktop.DBus.Error.InvalidArgs")
        return dbus.Dictionary(self.interfaces[interface], signature="sv")

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]


class Service:
    def __init__(self, bus, device, image):
        self.calls = []
        self.refusals_left = 1
        self.fd = os.open(image, os.O_RDONLY | os.O_CLOEXEC)
        size = dbus.UInt64(os.fstat(self.fd).st_size)
        drive = ROOT + "/drives/Datrevo_Fake_Card_FAKE0001"
        service = self

        class Manager(Object):
            @dbus.service.method(MANAGER, in_signature="a{sv}", out_signature="ao")
            def GetBlockDevices(self, options):
                service.calls.append("GetBlockDevices")
                return dbus.Array([ROOT + "/block_devices/sdz", ROOT + "/block_devices/sdz1"],
                                  signature="o")

            @dbus.service.method("org.datrevo.FakeUdisks", out_signature="as")
            def Calls(self):
                return service.calls

        class Block(Object):
            @dbus.service.method(BLOCK, in_signature="sa{sv}", out_signature="h")
            def OpenDevice(self, mode, options):
                service.calls.append("OpenDevice " + mode)
                if mode != "r":
                    raise Failed("Only reading is allowed here")
                if service.refusals_left > 0:
                    service.refusals_left -= 1
                    raise NotAuthorized("Not authorized to perform operation")
                return dbus.types.UnixFd(service.fd)

        self.objects = [
            Manager(bus, ROOT + "/Manager", {MANAGER: {"Version": "2.9.4"}}),
            Block(bus, ROOT + "/block_devices/sdz", {BLOCK: {
                "Device": byte_string(device), "PreferredDevice": byte_string(device),
                "Symlinks": dbus.Array([], signature="ay"), "Size": size,
                "Drive": dbus.ObjectPath(drive), "ReadOnly": False}}),
            Object(bus, ROOT + "/block_devices/sdz1", {
                BLOCK: {"Device": byte_string(device + "1"), "PreferredDevice": byte_string(device + "1"),
                        "Size": dbus.UInt64(size // 2), "Drive": dbus.ObjectPath(drive)},
                PARTITION: {"Number": dbus.UInt32(1)}}),
            Object(bus, drive, {DRIVE: {
                "Vendor": "Datrevo", "Model": "Fake Card Reader", "Serial": "FAKE0001",
                "Revision": "1.00", "ConnectionBus": "usb", "Removable": True,
                "MediaRemovable": True, "Size": size}}),
        ]


def main():
    address, device, image = sys.argv[1:4]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    service = Service(bus, device, image)
    name = dbus.service.BusName("org.freedesktop.UDisks2", bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
