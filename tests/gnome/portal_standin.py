'''A stand-in for the desktop portal's ScreenCast on a test bed's bus, so
that a capture through the portal reads real frames from headless mutter.

Parameters (JSON): {"node": n, "socket": path}: the PipeWire node Start
hands out (one the test made with mutter's RecordMonitor) and the PipeWire
socket OpenPipeWireRemote connects its descriptor to.
The Mock interface adds Refuse (the user cancels the next dialog),
ReceivedTokens (the restore tokens SelectSources was given, in order) and
OpenSessions (sessions not closed yet).
'''

import socket

import dbus
import dbusmock

from dbusmock import MOCK_IFACE

SYSTEM_BUS = False
BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.ScreenCast'
REQUEST_IFACE = 'org.freedesktop.portal.Request'
SESSION_IFACE = 'org.freedesktop.portal.Session'

OPEN_SESSIONS = set()


def load(mock, parameters):
    mock.node = int(parameters['node'])
    mock.socket_path = parameters['socket']
    mock.refuse = False
    mock.received_tokens = []
    mock.issued = 0
    mock.AddProperties(MAIN_IFACE, {'version': dbus.UInt32(4), 'AvailableSourceTypes': dbus.UInt32(3),
                                    'AvailableCursorModes': dbus.UInt32(7)})


def sender_path(sender):
    return sender[1:].replace('.', '_')


def respond(mock, sender, options, code, results):
    '''Answers through the Request object's Response signal, as the portal does.'''
    path = '%s/request/%s/%s' % (MAIN_OBJ, sender_path(sender), options['handle_token'])
    mock._emit_signal(REQUEST_IFACE, 'Response', 'ua{sv}',
                      [dbus.UInt32(code), dbus.Dictionary(results, signature='sv')], {'path': path})
    return dbus.ObjectPath(path)


def close_session(session):
    OPEN_SESSIONS.discard(session.path)


@dbus.service.method(MAIN_IFACE, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
def CreateSession(self, options, sender=None):
    path = '%s/session/%s/%s' % (MAIN_OBJ, sender_path(sender), options['session_handle_token'])
    self.AddObject(path, SESSION_IFACE, {}, [])
    dbusmock.get_object(path).AddMethod(SESSION_IFACE, 'Close', '', '', close_session)
    OPEN_SESSIONS.add(path)
    return respond(self, sender, options, 0, {'session_handle': path})


@dbus.service.method(MAIN_IFACE, in_signature='oa{sv}', out_signature='o', sender_keyword='sender')
def SelectSources(self, session, options, sender=None):
    self.received_tokens.append(str(options.get('restore_token', '')))
    ok = options.get('persist_mode') == 2 and options.get('types') == 3
    return respond(self, sender, options, 0 if ok else 2, {})


@dbus.service.method(MAIN_IFACE, in_signature='osa{sv}', out_signature='o', sender_keyword='sender')
def Start(self, session, parent_window, options, sender=None):
    if self.refuse:
        self.refuse = False
        return respond(self, sender, options, 1, {})
    self.issued += 1
    streams = dbus.Array([dbus.Struct((dbus.UInt32(self.node), dbus.Dictionary({}, signature='sv')))],
                         signature='(ua{sv})')
    return respond(self, sender, options, 0,
                   {'streams': streams, 'restore_token': 'token-%d' % self.issued, 'persist_mode': dbus.UInt32(2)})


@dbus.service.method(MAIN_IFACE, in_signature='oa{sv}', out_signature='h')
def OpenPipeWireRemote(self, session, options):
    remote = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    remote.connect(self.socket_path)
    fd = dbus.types.UnixFd(remote)
    remote.close()
    return fd


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def Refuse(self):
    self.refuse = True


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def ReceivedTokens(self):
    return self.received_tokens


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='u')
def OpenSessions(self):
    return len(OPEN_SESSIONS)
