#!/usr/bin/python3
"""A stand-in colord on a private bus, for the colour profile tests.

Starts its own dbus-daemon and python3-dbusmock with colord-template.py on
it (the devices and profiles given as JSON), prints the bus address on one
line and stops everything when standard input closes. With --refuse every
change is refused as polkit would.

    colord-standin.py PARAMETERS_JSON [--refuse]
"""
import json
import os
import subprocess
import sys
import time

import dbus


def main():
    parameters = json.loads(sys.argv[1])
    parameters["refuse"] = "--refuse" in sys.argv[2:]
    template = os.path.join(os.path.dirname(os.path.abspath(__file__)), "colord-template.py")
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    address = daemon.stdout.readline().decode().strip()
    env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address)
    env.pop("LD_PRELOAD", None)
    mock = None
    try:
        if parameters.get("devices") is not None:
            mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--template", template,
                                     "-p", json.dumps(parameters)], env=env, stdout=subprocess.DEVNULL)
            bus = dbus.bus.BusConnection(address)
            for _ in range(200):
                if bus.name_has_owner("org.freedesktop.ColorManager"):
                    break
                time.sleep(0.05)
        print(address, flush=True)
        sys.stdin.read()
    finally:
        if mock:
            mock.terminate()
            mock.wait()
        daemon.terminate()
        daemon.wait()


if __name__ == "__main__":
    main()
