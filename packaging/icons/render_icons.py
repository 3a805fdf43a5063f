#!/usr/bin/python3
# Renders varnholt.svg to the PNG sizes the icon theme wants, with the
# system's librsvg (the library behind rsvg-convert) through ctypes, for
# machines where only the library is installed. Run from this folder.
import ctypes
from ctypes import c_double, c_int, c_void_p

rsvg = ctypes.CDLL("librsvg-2.so.2")
cairo = ctypes.CDLL("libcairo.so.2")
rsvg.rsvg_handle_new_from_file.restype = c_void_p
rsvg.rsvg_handle_new_from_file.argtypes = [ctypes.c_char_p, c_void_p]
rsvg.rsvg_handle_render_document.argtypes = [c_void_p, c_void_p, c_void_p, c_void_p]
cairo.cairo_image_surface_create.restype = c_void_p
cairo.cairo_image_surface_create.argtypes = [c_int, c_int, c_int]
cairo.cairo_create.restype = c_void_p
cairo.cairo_create.argtypes = [c_void_p]
cairo.cairo_surface_write_to_png.argtypes = [c_void_p, ctypes.c_char_p]
cairo.cairo_destroy.argtypes = [c_void_p]
cairo.cairo_surface_destroy.argtypes = [c_void_p]


class Rect(ctypes.Structure):
    _fields_ = [("x", c_double), ("y", c_double), ("width", c_double), ("height", c_double)]


handle = rsvg.rsvg_handle_new_from_file(b"varnholt.svg", None)
if not handle:
    raise SystemExit("varnholt.svg: librsvg cannot read it")
for size in (16, 32, 48, 64, 128, 256):
    surface = cairo.cairo_image_surface_create(0, size, size)  # CAIRO_FORMAT_ARGB32
    cr = cairo.cairo_create(surface)
    if not rsvg.rsvg_handle_render_document(handle, cr, ctypes.byref(Rect(0, 0, size, size)), None):
        raise SystemExit("varnholt.svg: librsvg cannot render it")
    cairo.cairo_surface_write_to_png(surface, f"varnholt-{size}.png".encode())
    cairo.cairo_destroy(cr)
    cairo.cairo_surface_destroy(surface)
