'''A stand-in for colord on a private system bus: one display device per
entry of the "devices" parameter, profiles known by filename, and the
device methods that add a profile and make it the default.

Parameters: {"devices": [{"id": "xrandr-…", "edid_md5": "…", "output": "DP-1",
             "profiles": ["/path/a.icc", …]}],
             "refuse": false}   # true: every change fails as polkit would
'''

import dbus

BUS_NAME = 'org.freedesktop.ColorManager'
MAIN_OBJ = '/org/freedesktop/ColorManager'
MAIN_IFACE = 'org.freedesktop.ColorManager'
SYSTEM_BUS = True

DEVICE_IFACE = 'org.freedesktop.ColorManager.Device'
PROFILE_IFACE = 'org.freedesktop.ColorManager.Profile'
NOT_FOUND = 'org.freedesktop.ColorManager.NotFound'


def profile_path(mock, filename):
    for path, obj in mock.profiles.items():
        if obj == filename:
            return path
    path = '/org/freedesktop/ColorManager/profiles/p%d' % len(mock.profiles)
    mock.profiles[path] = filename
    mock.AddObject(path, PROFILE_IFACE, {
        'Filename': dbus.String(filename),
        'Title': dbus.String(filename.rsplit('/', 1)[-1].rsplit('.', 1)[0]),
        'ProfileId': dbus.String(path),
    }, [])
    return path


def refuse_if_asked(device):
    if device.refuse:
        raise dbus.exceptions.DBusException('not allowed to modify the device',
                                            name='org.freedesktop.ColorManager.FailedToAuthenticate')


def add_profile(self, relation, profile):
    refuse_if_asked(self)
    profiles = list(self.Get(DEVICE_IFACE, 'Profiles'))
    if profile in profiles:
        raise dbus.exceptions.DBusException('already added', name='org.freedesktop.ColorManager.Device.AlreadyExists')
    profiles.append(dbus.ObjectPath(profile))
    self.Set(DEVICE_IFACE, 'Profiles', dbus.Array(profiles, signature='o'))


def make_default(self, profile):
    refuse_if_asked(self)
    profiles = [p for p in self.Get(DEVICE_IFACE, 'Profiles') if p != profile]
    if len(profiles) == len(self.Get(DEVICE_IFACE, 'Profiles')):
        raise dbus.exceptions.DBusException('profile not on the device', name=NOT_FOUND)
    self.Set(DEVICE_IFACE, 'Profiles', dbus.Array([dbus.ObjectPath(profile)] + profiles, signature='o'))


def remove_profile(self, profile):
    refuse_if_asked(self)
    profiles = [p for p in self.Get(DEVICE_IFACE, 'Profiles') if p != profile]
    self.Set(DEVICE_IFACE, 'Profiles', dbus.Array(profiles, signature='o'))


def load(mock, parameters):
    mock.profiles = {}
    mock.devices = []
    refuse = bool(parameters.get('refuse', False))
    for index, device in enumerate(parameters.get('devices', [])):
        path = '/org/freedesktop/ColorManager/devices/d%d' % index
        profiles = [dbus.ObjectPath(profile_path(mock, f)) for f in device.get('profiles', [])]
        metadata = {}
        if device.get('edid_md5'):
            metadata['OutputEdidMd5'] = device['edid_md5']
        if device.get('output'):
            metadata['XRANDR_name'] = device['output']
        mock.AddObject(path, DEVICE_IFACE, {
            'DeviceId': dbus.String(device['id']),
            'Kind': dbus.String('display'),
            'Metadata': dbus.Dictionary(metadata, signature='ss'),
            'Profiles': dbus.Array(profiles, signature='o'),
        }, [])
        obj = dbusmock_objects()[path]
        obj.refuse = refuse
        obj.AddMethods(DEVICE_IFACE, [
            ('AddProfile', 'so', '', add_profile),
            ('MakeProfileDefault', 'o', '', make_default),
            ('RemoveProfile', 'o', '', remove_profile),
        ])
        mock.devices.append((path, metadata))

    def find_device_by_property(self, key, value):
        for path, metadata in mock.devices:
            if metadata.get(key) == value:
                return dbus.ObjectPath(path)
        raise dbus.exceptions.DBusException('no device with %s %s' % (key, value), name=NOT_FOUND)

    def find_profile_by_filename(self, filename):
        for path, known in mock.profiles.items():
            if known == filename:
                return dbus.ObjectPath(path)
        raise dbus.exceptions.DBusException('no profile ' + filename, name=NOT_FOUND)

    def create_profile(self, profile_id, scope, properties):
        if refuse:
            raise dbus.exceptions.DBusException('not allowed', name='org.freedesktop.ColorManager.FailedToAuthenticate')
        return dbus.ObjectPath(profile_path(mock, str(properties['Filename'])))

    mock.AddMethods(MAIN_IFACE, [
        ('FindDeviceByProperty', 'ss', 'o', find_device_by_property),
        ('FindProfileByFilename', 's', 'o', find_profile_by_filename),
        ('CreateProfile', 'ssa{ss}', 'o', create_profile),
        ('GetDevices', '', 'ao', lambda self: dbus.Array([dbus.ObjectPath(p) for p, _ in mock.devices], signature='o')),
    ])


def dbusmock_objects():
    from dbusmock.mockobject import objects  # pylint: disable=import-outside-toplevel
    return objects
