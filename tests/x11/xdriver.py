"""Driving the game's real window through an X server, for the X11 tests and
the recorded games: finding the window, giving it the focus, key strokes sent
through the server's test extension as a keyboard would, the close button, and
counting checks."""
import time

from Xlib import X, XK, protocol
from Xlib.ext import xtest


class Checks:
    """Counts checks; prints each one that fails."""

    def __init__(self):
        self.passes = 0
        self.failures = []

    def __call__(self, ok, what):
        if ok:
            self.passes += 1
        else:
            self.failures.append(what)
            print("FAIL:", what, flush=True)

    def report(self):
        print(f"{self.passes} passed, {len(self.failures)} failed")
        return 1 if self.failures else 0


def find_window(d, proc, title="Zarn", timeout=60.0):
    """The viewable window with the title, once the process shows one; None
    when the process ends or the time is up first."""
    end = time.time() + timeout
    while time.time() < end and proc.poll() is None:
        stack = [d.screen().root]
        while stack:
            w = stack.pop()
            try:
                if w.get_wm_name() == title and w.get_attributes().map_state == X.IsViewable:
                    return w
                stack.extend(w.query_tree().children)
            except Exception:
                continue
        time.sleep(0.1)
    return None


def focus(d, w):
    """The pointer into the window and the keyboard focus on it."""
    pos = w.translate_coords(d.screen().root, 0, 0)
    xtest.fake_input(d, X.MotionNotify, x=-pos.x + 100, y=-pos.y + 100)
    w.set_input_focus(X.RevertToParent, X.CurrentTime)
    d.sync()


def keycode(d, name):
    return d.keysym_to_keycode(XK.string_to_keysym(name))


def press(d, name, hold=0.05):
    """One stroke of the key named by its X keysym (held `hold` seconds)."""
    code = keycode(d, name)
    xtest.fake_input(d, X.KeyPress, code)
    d.sync()
    time.sleep(hold)
    xtest.fake_input(d, X.KeyRelease, code)
    d.sync()


def close_button(d, w):
    """What the window manager sends when the window's close button is clicked."""
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    ev = protocol.event.ClientMessage(window=w, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    w.send_event(ev, event_mask=0)
    d.sync()
