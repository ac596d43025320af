'''A stand-in for the desktop's tray host: the StatusNotifierWatcher that
tray icons register their StatusNotifierItem with.

Run with: /usr/bin/python3 -m dbusmock --template status_notifier_watcher.py
It answers that a host is registered, keeps the registered items in its
RegisteredStatusNotifierItems property and announces each one.
'''

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(True),
        'ProtocolVersion': dbus.Int32(0),
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s'),
    })
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierItem', 's', '',
         'service = args[0]\n'
         'items = list(self.Get("%s", "RegisteredStatusNotifierItems"))\n'
         'items.append(service)\n'
         'self.Set("%s", "RegisteredStatusNotifierItems", dbus.Array(items, signature="s"))\n'
         'self.EmitSignal("%s", "StatusNotifierItemRegistered", "s", [service])'
         % (MAIN_IFACE, MAIN_IFACE, MAIN_IFACE)),
        ('RegisterStatusNotifierHost', 's', '', ''),
    ])
