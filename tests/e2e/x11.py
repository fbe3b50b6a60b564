"""The two X requests xdotool cannot make: a window manager's close and reading the clipboard.

Talks to libX11 through ctypes so the tests need nothing beyond the X libraries that Xvfb and
xdotool already bring.
"""

import ctypes
import ctypes.util
import time

_CLIENT_MESSAGE = 33
_SELECTION_NOTIFY = 31
_NO_EVENT_MASK = 0
_CURRENT_TIME = 0
_ANY_PROPERTY_TYPE = 0


class _ClientMessage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class _SelectionEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("requestor", ctypes.c_ulong),
        ("selection", ctypes.c_ulong),
        ("target", ctypes.c_ulong),
        ("property", ctypes.c_ulong),
        ("time", ctypes.c_ulong),
    ]


class _Event(ctypes.Union):
    # XEvent is a union padded to 24 longs.
    _fields_ = [
        ("type", ctypes.c_int),
        ("client", _ClientMessage),
        ("selection", _SelectionEvent),
        ("pad", ctypes.c_long * 24),
    ]


def _library():
    lib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    ulong, ptr = ctypes.c_ulong, ctypes.c_void_p
    signatures = {
        "XOpenDisplay": (ptr, [ctypes.c_char_p]),
        "XCloseDisplay": (ctypes.c_int, [ptr]),
        "XInternAtom": (ulong, [ptr, ctypes.c_char_p, ctypes.c_int]),
        "XDefaultRootWindow": (ulong, [ptr]),
        "XSendEvent": (ctypes.c_int, [ptr, ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(_Event)]),
        "XFlush": (ctypes.c_int, [ptr]),
        "XSync": (ctypes.c_int, [ptr, ctypes.c_int]),
        "XCreateSimpleWindow": (
            ulong,
            [ptr, ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ulong, ulong],
        ),
        "XDestroyWindow": (ctypes.c_int, [ptr, ulong]),
        "XConvertSelection": (ctypes.c_int, [ptr, ulong, ulong, ulong, ulong, ulong]),
        "XPending": (ctypes.c_int, [ptr]),
        "XNextEvent": (ctypes.c_int, [ptr, ctypes.POINTER(_Event)]),
        "XGetWindowProperty": (
            ctypes.c_int,
            [
                ptr, ulong, ulong, ctypes.c_long, ctypes.c_long, ctypes.c_int, ulong,
                ctypes.POINTER(ulong), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ulong),
                ctypes.POINTER(ulong), ctypes.POINTER(ctypes.c_void_p),
            ],
        ),
        "XFree": (ctypes.c_int, [ptr]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    return lib


_x = _library()


class _Display:
    def __enter__(self):
        self.handle = _x.XOpenDisplay(None)
        if not self.handle:
            raise RuntimeError("cannot open the X display")
        return self

    def __exit__(self, *exc):
        _x.XCloseDisplay(self.handle)

    def atom(self, name):
        return _x.XInternAtom(self.handle, name.encode(), 0)


def request_close(window):
    """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
    with _Display() as display:
        event = _Event()
        event.client.type = _CLIENT_MESSAGE
        event.client.window = window
        event.client.message_type = display.atom("WM_PROTOCOLS")
        event.client.format = 32
        event.client.data[0] = display.atom("WM_DELETE_WINDOW")
        event.client.data[1] = _CURRENT_TIME
        if not _x.XSendEvent(display.handle, window, 0, _NO_EVENT_MASK, ctypes.byref(event)):
            raise RuntimeError("XSendEvent failed")
        _x.XSync(display.handle, 0)


def read_clipboard(timeout=10.0):
    """The clipboard's text, or None when no program offers any within the timeout."""
    with _Display() as display:
        root = _x.XDefaultRootWindow(display.handle)
        window = _x.XCreateSimpleWindow(display.handle, root, 0, 0, 1, 1, 0, 0, 0)
        try:
            return _convert_clipboard(display, window, timeout)
        finally:
            _x.XDestroyWindow(display.handle, window)


def _convert_clipboard(display, window, timeout):
    target = display.atom("UTF8_STRING")
    landing = display.atom("ZEB_E2E_CLIPBOARD")
    _x.XConvertSelection(display.handle, display.atom("CLIPBOARD"), target, landing, window, _CURRENT_TIME)
    _x.XFlush(display.handle)
    deadline = time.monotonic() + timeout
    event = _Event()
    while time.monotonic() < deadline:
        if not _x.XPending(display.handle):
            time.sleep(0.01)
            continue
        _x.XNextEvent(display.handle, ctypes.byref(event))
        if event.type != _SELECTION_NOTIFY:
            continue
        if event.selection.property == 0:
            return None  # the owner refused, or there is no owner
        return _property_text(display, window, landing)
    return None


def _property_text(display, window, prop):
    actual_type = ctypes.c_ulong()
    actual_format = ctypes.c_int()
    items = ctypes.c_ulong()
    remaining = ctypes.c_ulong()
    data = ctypes.c_void_p()
    status = _x.XGetWindowProperty(
        display.handle, window, prop, 0, 1 << 20, 1, _ANY_PROPERTY_TYPE,
        ctypes.byref(actual_type), ctypes.byref(actual_format), ctypes.byref(items),
        ctypes.byref(remaining), ctypes.byref(data),
    )
    if status != 0 or not data.value:
        return None
    try:
        return ctypes.string_at(data.value, items.value).decode("utf-8", "replace")
    finally:
        _x.XFree(data)
