# A stand-in for the desktop's screen saver on the session bus: answers
# Inhibit with a new cookie and prints each Inhibit and UnInhibit it gets.
# The first Inhibit is answered a second late, as a busy session does.
import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.ScreenSaver", bus)


class ScreenSaver(dbus.service.Object):
    cookies = 0

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="ss", out_signature="u",
                         async_callbacks=("reply", "error"))
    def Inhibit(self, application, reason, reply, error):
        ScreenSaver.cookies += 1
        cookie = ScreenSaver.cookies
        print("Inhibit", cookie, application, reason, flush=True)
        if cookie == 1:
            GLib.timeout_add(1000, lambda: reply(cookie) and False)
        else:
            reply(cookie)

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="u")
    def UnInhibit(self, cookie):
        print("UnInhibit", cookie, flush=True)


ScreenSaver(bus, "/org/freedesktop/ScreenSaver")
print("ready", flush=True)
GLib.MainLoop().run()
