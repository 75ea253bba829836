#!/usr/bin/python3
"""A pointer and a keyboard for tests on mutter, through its remote-desktop interface
(org.gnome.Mutter.RemoteDesktop on the session bus; mutter serves any caller on it).

Reads commands from standard input, one a line, and answers each with "ok" once mutter has
queued it, in order (or "error: ..." for a line it does not understand or mutter refused):
  move X Y             the pointer to (X, Y), global points, fractions allowed
  press|release|click  the left button, or the button code given after it (BTN_* codes)
  key CODE             presses and releases a key (evdev code)
  down CODE | up CODE  presses or releases a key, for chords (Ctrl+Shift+...)
Prints "ready" once the session runs. The session ends with the input, or with this process.

mutter moves a pointer to an absolute place only within a screen-cast stream, so a move goes
to the top-left corner first (a motion far up and left stops there) and then by the distance
to the target: mutter applies no acceleration to a remote-desktop pointer, and where it lays
monitors out in device pixels (whole scales) it multiplies a motion by the monitor's scale, so
the distance is in points either way (all monitors at one scale).
"""
import sys

import dbus

BTN_LEFT = 0x110
FAR = -1.0e6

bus = dbus.SessionBus()
desktop = dbus.Interface(
    bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop"),
    "org.gnome.Mutter.RemoteDesktop")
session = dbus.Interface(
    bus.get_object("org.gnome.Mutter.RemoteDesktop", desktop.CreateSession()),
    "org.gnome.Mutter.RemoteDesktop.Session")
session.Start()


def move(x, y):
    session.NotifyPointerMotionRelative(FAR, FAR)
    session.NotifyPointerMotionRelative(float(x), float(y))


def button(code, pressed):
    session.NotifyPointerButton(dbus.Int32(code), pressed)


def key(code, pressed):
    session.NotifyKeyboardKeycode(dbus.UInt32(code), pressed)


def run(words):
    verb, args = words[0], words[1:]
    if verb == "move" and len(args) == 2:
        move(*map(float, args))
    elif verb in ("press", "release", "click") and len(args) <= 1:
        code = int(args[0], 0) if args else BTN_LEFT
        if verb != "release":
            button(code, True)
        if verb != "press":
            button(code, False)
    elif verb == "key" and len(args) == 1:
        key(int(args[0], 0), True)
        key(int(args[0], 0), False)
    elif verb in ("down", "up") and len(args) == 1:
        key(int(args[0], 0), verb == "down")
    else:
        raise ValueError("unknown command")


print("ready", flush=True)
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    try:
        run(words)
        print("ok", flush=True)
    except (ValueError, dbus.DBusException) as error:
        print("error:", str(error).splitlines()[0], flush=True)
try:
    session.Stop()
except dbus.DBusException:
    pass  # mutter ended first
