#!/usr/bin/python3
"""portal-shot.py OUT.png: the desktop portal's own non-interactive screenshot, copied to OUT.png
(the desktop's truth for tests). Exit 0 when the portal answered with a picture."""
import os, random, shutil, sys, urllib.parse
from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
token = 'test%d' % random.randint(0, 1 << 30)
path = '/org/freedesktop/portal/desktop/request/%s/%s' % (bus.get_unique_name()[1:].replace('.', '_'), token)
loop, answer = GLib.MainLoop(), {}
def response(_conn, _sender, _path, _iface, _signal, params):
    answer['code'], answer['results'] = params.unpack()
    loop.quit()
bus.signal_subscribe('org.freedesktop.portal.Desktop', 'org.freedesktop.portal.Request', 'Response',
                     path, None, Gio.DBusSignalFlags.NONE, response)
bus.call_sync('org.freedesktop.portal.Desktop', '/org/freedesktop/portal/desktop',
              'org.freedesktop.portal.Screenshot', 'Screenshot',
              GLib.Variant('(sa{sv})', ('', {'handle_token': GLib.Variant('s', token),
                                             'interactive': GLib.Variant('b', False)})),
              GLib.VariantType('(o)'), 0, 20000, None)
GLib.timeout_add_seconds(20, loop.quit)
loop.run()
if answer.get('code') != 0:
    sys.exit('portal-shot.py: the portal answered %s' % answer.get('code'))
source = urllib.parse.unquote(urllib.parse.urlparse(answer['results']['uri']).path)
shutil.copyfile(source, sys.argv[1])
os.remove(source)
