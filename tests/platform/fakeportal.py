#!/usr/bin/python3
"""A stand-in for the desktop portal's global shortcuts on the session bus: records every call, answers
through a Request's Response signal, and emits Activated when asked ("test.Control"). Options: --bound
(both shortcuts bound already), --refuse-bind (BindShortcuts answers 2), --no-shortcuts (no
GlobalShortcuts interface)."""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
CONTROL = "test.Control"
options = set(sys.argv[1:])
calls = []


def shortcut_list(entries):
    return dbus.Array([dbus.Struct((i, dbus.Dictionary(p, signature="sv"))) for i, p in entries],
                      signature="(sa{sv})")


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results): pass


class Desktop(dbus.service.Object):
    session = ""

    def answer(self, sender, opts, code, results):
        # The request path is derived from the caller's name and token, as the caller predicts.
        request = Request(self.connection, "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"),
                                                                 opts["handle_token"]))

        GLib.idle_add(lambda: request.Response(dbus.UInt32(code), dbus.Dictionary(results, signature="sv"))
                      or request.remove_from_connection())
        return dbus.ObjectPath(request.__dbus_object_path__)

    @dbus.service.method(CONTROL, out_signature="s")
    def Calls(self):
        return json.dumps(calls)

    @dbus.service.method(CONTROL, out_signature="s")
    def Session(self):
        return self.session


class ShortcutsDesktop(Desktop):
    @dbus.service.method(CONTROL, in_signature="os")
    def Activate(self, session, shortcut):
        self.Activated(session, shortcut, dbus.UInt64(1234), dbus.Dictionary({}, signature="sv"))

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, opts): pass

    @dbus.service.method("org.freedesktop.host.portal.Registry", in_signature="sa{sv}")
    def Register(self, app_id, opts):
        calls.append({"method": "Register", "app_id": str(app_id)})

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, opts, sender=None):
        calls.append({"method": "CreateSession"})
        self.session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"), opts["session_handle_token"])
        # Sent as a string, as real portals do.
        return self.answer(sender, opts, 0, {"session_handle": dbus.String(self.session)})

    @dbus.service.method(SHORTCUTS, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def ListShortcuts(self, session, opts, sender=None):
        calls.append({"method": "ListShortcuts", "session": str(session)})
        bound = [("toggle-panel", {"trigger_description": "Ctrl+Alt+H"}),
                 ("copy-availability", {"trigger_description": "Ctrl+Alt+A"})] if "--bound" in options else []
        return self.answer(sender, opts, 0, {"shortcuts": shortcut_list(bound)})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, opts, sender=None):
        calls.append({"method": "BindShortcuts", "session": str(session),
                      "shortcuts": [[str(i), {str(k): str(v) for k, v in p.items()}] for i, p in shortcuts]})
        if "--refuse-bind" in options:
            return self.answer(sender, opts, 2, {})
        return self.answer(sender, opts, 0, {"shortcuts": shortcut_list(shortcuts)})


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = (Desktop if "--no-shortcuts" in options else ShortcutsDesktop)(bus, PATH)
name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus, do_not_queue=True)
GLib.MainLoop().run()
