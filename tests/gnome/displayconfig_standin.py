'''A stand-in for mutter's org.gnome.Mutter.DisplayConfig with several modes
per monitor and CRTCs with gamma ramps, which headless mutter lacks.

Parameters (JSON): {"serial": n} to start at another serial.
The Mock interface adds Unplug (a monitor going away), RefuseNextApply and
OverwriteGamma (the desktop's colour manager rewriting a ramp).
'''

import dbus

from dbusmock import MOCK_IFACE

SYSTEM_BUS = False
BUS_NAME = 'org.gnome.Mutter.DisplayConfig'
MAIN_OBJ = '/org/gnome/Mutter/DisplayConfig'
MAIN_IFACE = 'org.gnome.Mutter.DisplayConfig'

INVALID = 'org.freedesktop.DBus.Error.InvalidArgs'
DENIED = 'org.freedesktop.DBus.Error.AccessDenied'
GAMMA_SIZE = 256


def mode(width, height, refresh, scales, preferred=False):
    return {'id': '%dx%d@%.3f' % (width, height, refresh), 'w': width, 'h': height,
            'refresh': refresh, 'scales': scales, 'preferred': preferred}


def identity():
    return [int(i * 65535 / (GAMMA_SIZE - 1)) for i in range(GAMMA_SIZE)]


def load(mock, parameters):
    mock.serial = int(parameters.get('serial', 1))
    mock.monitors = [
        {'spec': ('DP-1', 'DEL', 'DELL U2720Q', '4C7QK13'), 'builtin': False, 'name': 'Dell 27"',
         'modes': [mode(2560, 1440, 59.951, [1.0, 1.25, 1.5, 2.0], True),
                   mode(1920, 1080, 60.0, [1.0, 1.25, 1.5]),
                   mode(1920, 1080, 144.001, [1.0, 1.25, 1.5]),
                   mode(1280, 720, 60.0, [1.0])]},
        {'spec': ('HDMI-1', 'GSM', 'LG ULTRAFINE', '0x0001e6a2'), 'builtin': False, 'name': 'LG 24"',
         'modes': [mode(1920, 1080, 60.0, [1.0, 1.25, 1.5], True),
                   mode(1280, 720, 60.0, [1.0])]},
    ]
    mock.current = {'DP-1': '2560x1440@59.951', 'HDMI-1': '1920x1080@60.000'}
    mock.logical = [
        {'x': 0, 'y': 0, 'scale': 1.0, 'transform': 0, 'primary': True, 'monitors': ['DP-1']},
        {'x': 2560, 'y': 0, 'scale': 1.0, 'transform': 0, 'primary': False, 'monitors': ['HDMI-1']},
    ]
    mock.gamma = {'DP-1': [identity()] * 3, 'HDMI-1': [identity()] * 3}
    mock.refusals = []


def find_monitor(self, connector):
    for m in self.monitors:
        if m['spec'][0] == connector:
            return m
    return None


def find_mode(monitor, mode_id):
    for m in monitor['modes']:
        if m['id'] == mode_id:
            return m
    return None


def spec_of(monitor):
    return dbus.Struct(monitor['spec'], signature='ssss')


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}')
def GetCurrentState(self):
    monitors = []
    for m in self.monitors:
        modes = []
        for md in m['modes']:
            props = {'is-current': dbus.Boolean(self.current.get(m['spec'][0]) == md['id'])}
            if md['preferred']:
                props['is-preferred'] = dbus.Boolean(True)
            modes.append(dbus.Struct((md['id'], md['w'], md['h'], md['refresh'], md['scales'][0],
                                      dbus.Array(md['scales'], signature='d'),
                                      dbus.Dictionary(props, signature='sv')), signature='siiddada{sv}'))
        props = dbus.Dictionary({'is-builtin': dbus.Boolean(m['builtin']), 'display-name': m['name']}, signature='sv')
        monitors.append(dbus.Struct((spec_of(m), dbus.Array(modes, signature='(siiddada{sv})'), props)))
    logical = []
    for lm in self.logical:
        specs = [spec_of(find_monitor(self, c)) for c in lm['monitors']]
        logical.append(dbus.Struct((dbus.Int32(lm['x']), dbus.Int32(lm['y']), dbus.Double(lm['scale']),
                                    dbus.UInt32(lm['transform']), dbus.Boolean(lm['primary']),
                                    dbus.Array(specs, signature='(ssss)'),
                                    dbus.Dictionary({}, signature='sv'))))
    props = dbus.Dictionary({'layout-mode': dbus.UInt32(1)}, signature='sv')
    return (dbus.UInt32(self.serial), dbus.Array(monitors, signature='((ssss)a(siiddada{sv})a{sv})'),
            dbus.Array(logical, signature='(iiduba(ssss)a{sv})'), props)


def check_layout(logical):
    boxes = [(lm['x'], lm['y'], lm['w'], lm['h']) for lm in logical]
    if min(b[0] for b in boxes) != 0 or min(b[1] for b in boxes) != 0:
        raise dbus.exceptions.DBusException('Logical monitors not adjacent', name=INVALID)
    for i, a in enumerate(boxes):
        for b in boxes[i + 1:]:
            if a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]:
                raise dbus.exceptions.DBusException('Logical monitors overlap', name=INVALID)


@dbus.service.method(MAIN_IFACE, in_signature='uua(iiduba(ssa{sv}))a{sv}', out_signature='')
def ApplyMonitorsConfig(self, serial, method, logical_monitors, _properties):
    if self.refusals:
        name, text = self.refusals.pop(0)
        if name == DENIED:
            self.serial += 1
        raise dbus.exceptions.DBusException(text, name=name)
    if serial != self.serial:
        raise dbus.exceptions.DBusException('The requested configuration is based on stale information',
                                            name=DENIED)
    current, logical = {}, []
    for (x, y, scale, transform, primary, monitors) in [tuple(lm)[:6] for lm in logical_monitors]:
        size = None
        for (connector, mode_id, _props) in monitors:
            monitor = find_monitor(self, str(connector))
            if monitor is None:
                raise dbus.exceptions.DBusException('Invalid connector \'%s\' specified' % connector, name=INVALID)
            md = find_mode(monitor, str(mode_id))
            if md is None:
                raise dbus.exceptions.DBusException('Invalid mode \'%s\' specified' % mode_id, name=INVALID)
            if float(scale) not in md['scales']:
                raise dbus.exceptions.DBusException('Scale not supported by backend', name=INVALID)
            if size is not None and size != (md['w'], md['h']):
                raise dbus.exceptions.DBusException('Monitors in logical monitor incompatible', name=INVALID)
            size = (md['w'], md['h'])
            current[str(connector)] = str(mode_id)
        logical.append({'x': int(x), 'y': int(y), 'scale': float(scale), 'transform': int(transform),
                        'primary': bool(primary), 'monitors': [str(m[0]) for m in monitors],
                        'w': int(round(size[0] / float(scale))), 'h': int(round(size[1] / float(scale)))})
    if not logical:
        raise dbus.exceptions.DBusException('Monitor configuration is empty', name=INVALID)
    if sum(1 for lm in logical if lm['primary']) != 1:
        raise dbus.exceptions.DBusException('Config is missing primary logical', name=INVALID)
    check_layout(logical)
    if method == 0:
        return
    self.current, self.logical = current, logical
    self.serial += 1
    self.EmitSignal(MAIN_IFACE, 'MonitorsChanged', '', [])


def crtc_list(self):
    return [m['spec'][0] for m in self.monitors]


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='ua(uxiiiiiuaua{sv})a(uxiausauaua{sv})a(uxuudu)ii')
def GetResources(self):
    crtcs, outputs = [], []
    for i, connector in enumerate(crtc_list(self)):
        crtcs.append(dbus.Struct((dbus.UInt32(i), dbus.Int64(i), 0, 0, 0, 0, -1, dbus.UInt32(0),
                                  dbus.Array([dbus.UInt32(0)], signature='u'),
                                  dbus.Dictionary({}, signature='sv')), signature='uxiiiiiuaua{sv}'))
        lit = any(connector in lm['monitors'] for lm in self.logical)
        outputs.append(dbus.Struct((dbus.UInt32(i), dbus.Int64(i), dbus.Int32(i if lit else -1),
                                    dbus.Array([dbus.UInt32(i)], signature='u'), connector,
                                    dbus.Array([], signature='u'), dbus.Array([], signature='u'),
                                    dbus.Dictionary({}, signature='sv')), signature='uxiausauaua{sv}'))
    return (dbus.UInt32(self.serial), dbus.Array(crtcs, signature='(uxiiiiiuaua{sv})'),
            dbus.Array(outputs, signature='(uxiausauaua{sv})'), dbus.Array([], signature='(uxuudu)'),
            8192, 8192)


def crtc_connector(self, serial, crtc):
    if serial != self.serial:
        raise dbus.exceptions.DBusException('The requested configuration is based on stale information',
                                            name=DENIED)
    names = crtc_list(self)
    if crtc >= len(names):
        raise dbus.exceptions.DBusException('Invalid crtc id', name=INVALID)
    return names[crtc]


@dbus.service.method(MAIN_IFACE, in_signature='uu', out_signature='aqaqaq')
def GetCrtcGamma(self, serial, crtc):
    ramps = self.gamma[crtc_connector(self, serial, crtc)]
    return tuple(dbus.Array(r, signature='q') for r in ramps)


@dbus.service.method(MAIN_IFACE, in_signature='uuaqaqaq', out_signature='')
def SetCrtcGamma(self, serial, crtc, red, green, blue):
    connector = crtc_connector(self, serial, crtc)
    if not (len(red) == len(green) == len(blue) == GAMMA_SIZE):
        raise dbus.exceptions.DBusException('Invalid gamma size', name=INVALID)
    self.gamma[connector] = [[int(v) for v in r] for r in (red, green, blue)]


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def Unplug(self, connector):
    self.monitors = [m for m in self.monitors if m['spec'][0] != connector]
    self.current.pop(connector, None)
    for lm in self.logical:
        lm['monitors'] = [c for c in lm['monitors'] if c != connector]
    self.logical = [lm for lm in self.logical if lm['monitors']]
    if self.logical and not any(lm['primary'] for lm in self.logical):
        self.logical[0]['primary'] = True
    self.serial += 1
    self.EmitSignal(MAIN_IFACE, 'MonitorsChanged', '', [])


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def RefuseNextApply(self, name, text):
    '''The next ApplyMonitorsConfig fails with this error; AccessDenied also
    moves the serial on, as a change made elsewhere would.'''
    self.refusals.append((name, text))


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def OverwriteGamma(self, connector):
    self.gamma[connector] = [identity()] * 3
