#!/usr/bin/python3
"""A stand-in for the desktop's StatusNotifierWatcher (and host) on the session bus.

Usage: fake_sni_watcher.py [--state FILE]

Owns org.kde.StatusNotifierWatcher, accepts RegisterStatusNotifierItem, reads every registered
item's XAyatanaLabel again on each XAyatanaNewLabel signal, and drops an item
whose process leaves the bus. With --state, the current view is written to FILE as JSON after every
change (through a temporary file and a rename, so readers never see half a file):

  {"items": [{"service": ":1.5", "path": "/StatusNotifierItem", "label": "in 5m"}]}

The interface "test.Control" at /StatusNotifierWatcher offers Activate(), which calls Activate(0, 0)
on every registered item (a click on the tray icon). Runs until it gets SIGTERM or SIGINT.
"""
import argparse
import json
import os
import signal

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
CONTROL = "test.Control"
PATH = "/StatusNotifierWatcher"


class Watcher(dbus.service.Object):
    def __init__(self, bus, state_file):
        super().__init__(bus, PATH)
        self.bus = bus
        self.state_file = state_file
        self.items = []
        # An item whose process ends leaves the list, as with a real watcher.
        bus.add_signal_receiver(self.owner_changed, signal_name="NameOwnerChanged",
                                dbus_interface="org.freedesktop.DBus", path="/org/freedesktop/DBus")
        self.write()

    def owner_changed(self, name, old, new):
        if not new and any(i["service"] == name for i in self.items):
            self.items = [i for i in self.items if i["service"] != name]
            self.write()

    # The watcher's own interface.
    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierItem(self, service):
        entry = {"service": str(service), "path": "/StatusNotifierItem", "label": ""}
        self.items = [i for i in self.items if i["service"] != entry["service"]]
        self.items.append(entry)
        self.bus.add_signal_receiver(lambda *args, e=entry: self.refresh(e), signal_name="XAyatanaNewLabel",
                                     dbus_interface=ITEM, bus_name=entry["service"], path=entry["path"])
        self.write()
        self.refresh(entry)

    # The test's controls.
    @dbus.service.method(CONTROL)
    def Activate(self):
        for entry in self.items:
            item = self.bus.get_object(entry["service"], entry["path"], introspect=False)
            item.Activate(dbus.Int32(0), dbus.Int32(0), dbus_interface=ITEM, ignore_reply=True)

    def refresh(self, entry):
        item = self.bus.get_object(entry["service"], entry["path"], introspect=False)

        def got(props):
            entry["label"] = str(props.get("XAyatanaLabel", ""))
            self.write()

        item.GetAll(ITEM, dbus_interface=dbus.PROPERTIES_IFACE, reply_handler=got,
                    error_handler=lambda error: None)

    def write(self):
        if not self.state_file:
            return
        temporary = self.state_file + ".part"
        with open(temporary, "w", encoding="utf-8") as out:
            json.dump({"items": self.items}, out)
        os.replace(temporary, self.state_file)


def main():
    parser = argparse.ArgumentParser(description="A fake StatusNotifierWatcher for tests.")
    parser.add_argument("--state", help="file that receives the registered items as JSON after every change")
    options = parser.parse_args()

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, options.state)
    name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
    loop = GLib.MainLoop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, sig, loop.quit)
    loop.run()
    del name, watcher


if __name__ == "__main__":
    main()
