#!/usr/bin/python3
"""show-picture.py PNG: a native Wayland window (GTK 3) that fills the screen with PNG, for tests
that need Wayland content on screen. Prints "shown" once mapped; runs until killed."""
import sys
import gi
gi.require_version('Gtk', '3.0')
from gi.repository import GLib, Gtk

window = Gtk.Window(title='picture')
window.set_decorated(False)
window.add(Gtk.Image.new_from_file(sys.argv[1]))
window.connect('destroy', Gtk.main_quit)
window.maximize()
window.show_all()
GLib.timeout_add(500, lambda: print('shown', flush=True) and False)
Gtk.main()
