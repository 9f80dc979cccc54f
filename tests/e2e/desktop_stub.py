#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop's side of the session bus, as small as the tests need it: a screen saver
(org.freedesktop.ScreenSaver), or the desktop portal's Inhibit, a notification server
(org.freedesktop.Notifications), and an ear for the media player's signals (PropertiesChanged,
Seeked). Every call and signal is written to standard output as one JSON line, in the order
they arrive; the first line says the names are taken.

    desktop_stub.py [--screensaver] [--portal] [--notifications] [--watch]
"""

import argparse
import json
import sys

from gi.repository import Gio, GLib

INTERFACES = {
    "org.freedesktop.ScreenSaver": """
      <method name="Inhibit"><arg type="s" direction="in"/><arg type="s" direction="in"/>
        <arg type="u" direction="out"/></method>
      <method name="UnInhibit"><arg type="u" direction="in"/></method>""",
    "org.freedesktop.portal.Inhibit": """
      <method name="Inhibit"><arg type="s" direction="in"/><arg type="u" direction="in"/>
        <arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>""",
    "org.freedesktop.portal.Request": """<method name="Close"/>""",
    "org.freedesktop.Notifications": """
      <method name="Notify"><arg type="s" direction="in"/><arg type="u" direction="in"/>
        <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="s" direction="in"/>
        <arg type="as" direction="in"/><arg type="a{sv}" direction="in"/>
        <arg type="i" direction="in"/><arg type="u" direction="out"/></method>
      <method name="GetCapabilities"><arg type="as" direction="out"/></method>""",
}


def info(interface):
    xml = f'<node><interface name="{interface}">{INTERFACES[interface]}</interface></node>'
    return Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]


def log(**entry):
    print(json.dumps(entry), flush=True)


class Stub:
    def __init__(self, bus):
        self.bus = bus
        self.counter = 0

    def next_id(self):
        self.counter += 1
        return self.counter

    def serve(self, path, interface):
        self.bus.register_object(path, info(interface), self.on_call, None, None)

    def on_call(self, _bus, sender, path, interface, method, parameters, invocation):
        log(call=method, interface=interface, path=path, args=parameters.unpack())
        reply = None
        if interface == "org.freedesktop.ScreenSaver" and method == "Inhibit":
            reply = GLib.Variant("(u)", (self.next_id(),))
        elif interface == "org.freedesktop.portal.Inhibit":
            # The portal's answer names a request object; closing it ends the hold.
            handle = f"/org/freedesktop/portal/desktop/request/stub/{self.next_id()}"
            self.serve(handle, "org.freedesktop.portal.Request")
            reply = GLib.Variant("(o)", (handle,))
        elif method == "Notify":
            reply = GLib.Variant("(u)", (self.next_id(),))
        elif method == "GetCapabilities":
            reply = GLib.Variant("(as)", (["body", "body-markup"],))
        invocation.return_value(reply)

    def on_signal(self, _bus, sender, path, interface, name, parameters):
        log(signal=name, args=parameters.unpack())


def main():
    parser = argparse.ArgumentParser()
    for flag in ("screensaver", "portal", "notifications", "watch"):
        parser.add_argument("--" + flag, action="store_true")
    args = parser.parse_args()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    stub = Stub(bus)
    names = []
    if args.screensaver:
        stub.serve("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver")
        names.append("org.freedesktop.ScreenSaver")
    if args.portal:
        stub.serve("/org/freedesktop/portal/desktop", "org.freedesktop.portal.Inhibit")
        names.append("org.freedesktop.portal.Desktop")
    if args.notifications:
        stub.serve("/org/freedesktop/Notifications", "org.freedesktop.Notifications")
        names.append("org.freedesktop.Notifications")
    if args.watch:
        for signal in ("PropertiesChanged", "Seeked"):
            bus.signal_subscribe(None, None, signal, "/org/mpris/MediaPlayer2", None,
                                 Gio.DBusSignalFlags.NONE, stub.on_signal)
    for name in names:
        owned = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "RequestName", GLib.Variant("(su)", (name, 4)),
                              GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, -1, None).unpack()[0]
        if owned != 1:
            sys.exit(f"desktop_stub: {name} is taken")
    log(ready=names)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
