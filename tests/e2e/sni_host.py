#!/usr/bin/python3
"""A StatusNotifierWatcher that is also its only host, as a panel runs one, for the tray scenarios.

  sni_host.py <file> <label> [group] [host-later]
      owns org.kde.StatusNotifierWatcher on the session bus and writes "ready"; for the first
      item that registers, reads its properties and writes "item <Id> <Title> menu <path> icons
      <W>x<H>,...", then does what a host does when that item's menu entry labelled <label> is
      chosen (AboutToShow, GetLayout, Event "clicked", or EventGroup as libdbusmenu sends it
      with "group") and writes "clicked <label>" (or "no entry <label>: <labels>").
      With "host-later" the watcher first has no host, and its host registers once it has
      said so (as Plasma's panel comes after its watcher).
"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"


def write(line):
    with open(sys.argv[1], "a", encoding="utf-8") as out:
        out.write(line + "\n")


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.bus = bus
        self.items = []
        self.host = "host-later" not in sys.argv[3:]

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        name, path = (sender, service) if service.startswith("/") else (service, "/StatusNotifierItem")
        self.items.append(name + path)
        self.StatusNotifierItemRegistered(name + path)
        if len(self.items) == 1:
            GLib.idle_add(self.choose, name, path)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if name == "IsStatusNotifierHostRegistered" and not self.host:
            GLib.idle_add(self.register_host)
        return self.GetAll(interface)[name]

    def register_host(self):
        self.host = True
        self.StatusNotifierHostRegistered()
        return False

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "IsStatusNotifierHostRegistered": dbus.Boolean(self.host),
            "ProtocolVersion": dbus.Int32(0),
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
        }

    def choose(self, name, path):
        label = sys.argv[2]
        props = self.bus.get_object(name, path).GetAll(ITEM, dbus_interface=dbus.PROPERTIES_IFACE)
        icons = ",".join(f"{w}x{h}" for w, h, pixels in props.get("IconPixmap", [])
                         if len(pixels) == 4 * w * h)
        write(f"item {props['Id']} {props['Title']} menu {props['Menu']} icons {icons}")
        menu = dbus.Interface(self.bus.get_object(name, props["Menu"]), MENU)
        menu.AboutToShow(0)
        _, (_, _, children) = menu.GetLayout(0, -1, [])
        labels = [str(child[1].get("label", "")) for child in children]
        for child in children:
            if child[1].get("label") == label:
                event = (child[0], "clicked", dbus.String("", variant_level=1), dbus.UInt32(0))
                if "group" in sys.argv[3:]:
                    if menu.EventGroup([event]):
                        write(f"unknown entry {label}")
                        return False
                else:
                    menu.Event(*event)
                write(f"clicked {label}")
                return False
        write(f"no entry {label}: {'|'.join(labels)}")
        return False


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    name = dbus.service.BusName(WATCHER, bus)
    if watcher.host:
        watcher.StatusNotifierHostRegistered()
    write("ready")
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
