#!/usr/bin/python3
"""mutter_keys: keys pressed in mutter's session through its remote desktop interface, with the
same commands and answers as tools/wayland_keys ("KEYSYM HOLD_MS", "ok"), for the one
compositor that offers no virtual keyboard protocol. The keys go through mutter's own keyboard
and keymap. The session lives as long as this process: mutter ends it with the connection."""
import sys
import time

import dbus

KEYSYMS = {"q": 0x71, "a": 0x61, "Escape": 0xFF1B}


def main():
    bus = dbus.SessionBus()
    desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
    path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
    session = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                             "org.gnome.Mutter.RemoteDesktop.Session")
    session.Start()
    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if len(words) != 2 or words[0] not in KEYSYMS:
            print("no key " + (words[0] if words else ""), flush=True)
            continue
        keysym = dbus.UInt32(KEYSYMS[words[0]])
        session.NotifyKeyboardKeysym(keysym, True)
        time.sleep(int(words[1]) / 1000)
        session.NotifyKeyboardKeysym(keysym, False)
        print("ok", flush=True)


if __name__ == "__main__":
    try:
        main()
    except dbus.DBusException as error:
        print("mutter_keys: " + error.get_dbus_message(), flush=True)
        sys.exit(1)
