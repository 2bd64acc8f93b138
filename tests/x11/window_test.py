#!/usr/bin/python3
"""Checks the real window under an X server (run by xvfb-run, no window manager).

Usage: window_test.py ZARN_BINARY
For each way of ending the program (Escape, the close button, Alt+F4) it starts
the program, finds its window and checks: client area 700 x 540, centred on the
screen, not resizable (minimum = maximum size), the game's title as caption,
the start screen drawn; then asks it to end and expects exit status 0. Escape
ends it from the start screen; a close request (button or Alt+F4) only leaves
the start screen, starts a game from the menu, and ends the program in the game.
Prints 'N passed, N failed'.
"""
import subprocess
import sys
import time

from Xlib import X, XK, display, protocol
from Xlib.ext import xtest

TITLE = "Zarn"
WIDTH, HEIGHT = 700, 540
failures = []
passes = 0


def check(ok, what):
    global passes
    if ok:
        passes += 1
    else:
        failures.append(what)
        print("FAIL:", what, flush=True)


def find_window(d, proc, timeout=30.0):
    root = d.screen().root
    end = time.time() + timeout
    while time.time() < end:
        if proc.poll() is not None:
            return None
        stack = [root]
        while stack:
            w = stack.pop()
            try:
                name = w.get_wm_name()
                attrs = w.get_attributes()
                children = w.query_tree().children
            except Exception:
                continue
            if name == TITLE and attrs.map_state == X.IsViewable:
                return w
            stack.extend(children)
        time.sleep(0.1)
    return None


def key(d, names):
    codes = [d.keysym_to_keycode(XK.string_to_keysym(n)) for n in names]
    for c in codes:
        xtest.fake_input(d, X.KeyPress, c)
    for c in reversed(codes):
        xtest.fake_input(d, X.KeyRelease, c)
    d.sync()


def contents(w):
    img = w.get_image(0, 0, WIDTH, HEIGHT, X.ZPixmap, 0xFFFFFFFF)
    return img.data if isinstance(img.data, bytes) else bytes(img.data)


def changes(w, before, timeout=20.0):
    """Whether the window's contents differ from `before` within the timeout."""
    end = time.time() + timeout
    while time.time() < end:
        if contents(w) != before:
            return True
        time.sleep(0.1)
    return False


def drawn(w, timeout=20.0):
    """Whether the window shows something other than black within the timeout
    (loading the game's files takes a while on a busy machine)."""
    end = time.time() + timeout
    while time.time() < end:
        img = w.get_image(0, 0, WIDTH, HEIGHT, X.ZPixmap, 0xFFFFFFFF)
        data = img.data if isinstance(img.data, bytes) else bytes(img.data)
        if data and max(data[i] for i in range(0, len(data), 997) if i % 4 != 3) > 0:
            return True
        time.sleep(0.1)
    return False


def close_button(d, w):
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    ev = protocol.event.ClientMessage(window=w, client_type=protocols,
                                      data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    w.send_event(ev, event_mask=0)
    d.sync()


def wait_exit(proc, timeout=20.0):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return None


def run(d, binary, how):
    screen = d.screen()
    proc = subprocess.Popen([binary])
    try:
        w = find_window(d, proc)
        check(w is not None, f"{how}: window with caption {TITLE!r} appears")
        if w is None:
            return
        time.sleep(0.5)  # let a few frames be presented
        geo = w.get_geometry()
        pos = w.translate_coords(screen.root, 0, 0)
        x, y = -pos.x, -pos.y
        check((geo.width, geo.height) == (WIDTH, HEIGHT),
              f"{how}: client area {geo.width}x{geo.height}, want {WIDTH}x{HEIGHT}")
        want_x = screen.width_in_pixels // 2 - WIDTH // 2
        want_y = screen.height_in_pixels // 2 - HEIGHT // 2
        check((x, y) == (want_x, want_y), f"{how}: position ({x}, {y}), want centred ({want_x}, {want_y})")
        hints = w.get_wm_normal_hints()
        fixed = hints is not None and (hints.min_width, hints.min_height, hints.max_width,
                                       hints.max_height) == (WIDTH, HEIGHT, WIDTH, HEIGHT)
        check(fixed, f"{how}: not resizable (size hints {hints})")
        check(drawn(w), f"{how}: the start screen is drawn")

        # Pointer into the window and the keyboard focus on it.
        xtest.fake_input(d, X.MotionNotify, x=x + WIDTH // 2, y=y + HEIGHT // 2)
        w.set_input_focus(X.RevertToParent, X.CurrentTime)
        d.sync()
        time.sleep(0.3)
        if how == "Escape":
            key(d, ["Escape"])
        else:
            # Start screen to menu, menu to game, then the end. Each request is
            # sent once the previous one has changed the screen: two requests
            # pending at once count as one.
            for step in ("start screen", "menu", "game"):
                before = contents(w)
                if how == "Alt+F4":
                    key(d, ["Alt_L", "F4"])
                else:
                    close_button(d, w)
                if step != "game":
                    check(changes(w, before), f"{how}: a close request in the {step} changes the screen")
                    check(proc.poll() is None, f"{how}: a close request in the {step} does not end the program")
        status = wait_exit(proc)
        check(status == 0, f"{how}: program ends with status 0 (got {status})")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def main():
    binary = sys.argv[1]
    d = display.Display()
    for how in ("Escape", "close button", "Alt+F4"):
        run(d, binary, how)
    d.close()
    print(f"{passes} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
