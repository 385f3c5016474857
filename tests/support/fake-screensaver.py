# A stand-in for the desktop's screen saver on the session bus: answers
# Inhibit with a new cookie and prints each Inhibit and UnInhibit it gets.
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.ScreenSaver", bus)


class ScreenSaver(dbus.service.Object):
    cookies = 0

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="ss", out_signature="u")
    def Inhibit(self, application, reason):
        ScreenSaver.cookies += 1
        print("Inhibit", ScreenSaver.cookies, application, flush=True)
        return ScreenSaver.cookies

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="u")
    def UnInhibit(self, cookie):
        print("UnInhibit", cookie, flush=True)


ScreenSaver(bus, "/org/freedesktop/ScreenSaver")
print("ready", flush=True)
GLib.MainLoop().run()
