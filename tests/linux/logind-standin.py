#!/usr/bin/python3
"""A stand-in logind on a private bus, for the backlight tests.

Starts its own dbus-daemon and python3-dbusmock's logind template on it,
adds the caller's session as "auto" with SetBrightness, and prints the bus
address on one line. SetBrightness writes the value into the fake sysfs
backlight as logind does (and appends "subsystem name value" to
ROOT/logind-calls); with --refuse it answers AccessDenied. Everything stops
when standard input closes.

    logind-standin.py SYSFS_ROOT [--refuse]
"""
import os
import subprocess
import sys
import time

import dbus

SET_BRIGHTNESS = '''
folder = os.path.join(%r, "class", args[0], args[1])
for name in ("brightness", "actual_brightness"):
    with open(os.path.join(folder, name), "w") as f:
        f.write("%%d\\n" %% args[2])
with open(os.path.join(%r, "logind-calls"), "a") as f:
    f.write("%%s %%s %%d\\n" %% (args[0], args[1], args[2]))
'''
REFUSE = 'raise dbus.exceptions.DBusException("not in control", name="org.freedesktop.DBus.Error.AccessDenied")'


def wait_for_name(bus, name):
    for _ in range(200):
        if bus.name_has_owner(name):
            return
        time.sleep(0.05)
    raise RuntimeError(name + " never appeared")


def main():
    root = sys.argv[1]
    refuse = "--refuse" in sys.argv[2:]
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    address = daemon.stdout.readline().decode().strip()
    env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address, DBUS_SESSION_BUS_ADDRESS=address)
    mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"],
                            env=env, stdout=subprocess.DEVNULL)
    try:
        bus = dbus.bus.BusConnection(address)
        wait_for_name(bus, "org.freedesktop.login1")
        manager = bus.get_object("org.freedesktop.login1", "/org/freedesktop/login1")
        dbus.Interface(manager, "org.freedesktop.DBus.Mock").AddSession(
            "auto", "seat0", dbus.UInt32(os.getuid()), "user", True)
        session = bus.get_object("org.freedesktop.login1", "/org/freedesktop/login1/session/auto")
        code = REFUSE if refuse else "import os\n" + SET_BRIGHTNESS % (root, root)
        dbus.Interface(session, "org.freedesktop.DBus.Mock").AddMethod(
            "org.freedesktop.login1.Session", "SetBrightness", "ssu", "", code)
        print(address, flush=True)
        sys.stdin.read()
    finally:
        mock.terminate()
        mock.wait()
        daemon.terminate()
        daemon.wait()


if __name__ == "__main__":
    main()
