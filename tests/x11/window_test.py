#!/usr/bin/python3
"""Checks the real window under an X server (run by xvfb-run, no window manager).

Usage: window_test.py ZARN_BINARY [--scaled]
For each way of ending the program (Escape, the close button, Alt+F4) it starts
the program, finds its window and checks: client area 700 x 540, centred on the
screen, not resizable (minimum = maximum size), the game's title as caption,
the start screen drawn; then asks it to end and expects exit status 0. Escape
ends it from the start screen; a close request (button or Alt+F4) only leaves
the start screen, starts a game from the menu, and ends the program in the game.
With --scaled (on a 1600 x 1200 screen) it checks the enlarged presentation
instead: --scale 2 opens a 1400 x 1080 window, centred and fixed, showing the
picture in 2 x 2 blocks; without a window manager Alt+Enter is granted by
nobody, and the window goes on showing the whole picture, as does F11 after
it; under a window manager (openbox, when installed) Alt+Enter fills the
screen with the picture at the largest whole factor, centred on black, pixel
for pixel the windowed picture, and F11 returns to the 700 x 540 window. The
program keeps its settings in a folder of the test's own, where each switch
is saved.
Prints 'N passed, N failed'.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display, protocol
from Xlib.ext import xtest

TITLE = "Zarn"
WIDTH, HEIGHT = 700, 540
failures = []
passes = 0
# The program's settings file goes here, never into the user's own folder.
CONFIG = tempfile.mkdtemp(prefix="zarn-x11-config-")
ENV = dict(os.environ, XDG_CONFIG_HOME=CONFIG)
SETTINGS = os.path.join(CONFIG, "zarn", "settings.ini")


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
    proc = subprocess.Popen([binary], env=ENV)
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


def image(w, width, height):
    """The window's pixels as rows of 4-byte pixels (blue, green, red, pad)."""
    img = w.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF)
    data = img.data if isinstance(img.data, bytes) else bytes(img.data)
    return data, width * 4


def pixel(data, stride, x, y):
    return data[y * stride + x * 4:y * stride + x * 4 + 3]


def geometry(d, w):
    geo = w.get_geometry()
    pos = w.translate_coords(d.screen().root, 0, 0)
    return geo.width, geo.height, -pos.x, -pos.y


def wait_geometry(d, w, size, timeout=10.0):
    end = time.time() + timeout
    while time.time() < end:
        g = geometry(d, w)
        if g[:2] == size:
            return g
        time.sleep(0.1)
    return geometry(d, w)


def focus(d, w):
    x, y = geometry(d, w)[2:]
    xtest.fake_input(d, X.MotionNotify, x=x + 50, y=y + 50)
    w.set_input_focus(X.RevertToParent, X.CurrentTime)
    d.sync()
    time.sleep(0.3)


def soon(test, timeout=20.0):
    """Whether test() holds within the timeout (frames after a switch take a
    while to arrive on a busy machine)."""
    end = time.time() + timeout
    while True:
        if test():
            return True
        if time.time() > end:
            return False
        time.sleep(0.2)


def blocks_of_two(data, stride, x0, y0, w, h, step=7):
    """Whether the w x h picture at (x0, y0) consists of uniform 2 x 2 blocks
    (every step-th block looked at) and is not all black."""
    lit = False
    for by in range(0, h // 2, step):
        for bx in range(0, w // 2, step):
            x, y = x0 + 2 * bx, y0 + 2 * by
            p = pixel(data, stride, x, y)
            if any(p):
                lit = True
            if p != pixel(data, stride, x + 1, y) or p != pixel(data, stride, x, y + 1) or \
                    p != pixel(data, stride, x + 1, y + 1):
                return False
    return lit


def shown(d, proc, what):
    """The program's window once it shows the start screen, or None."""
    w = find_window(d, proc)
    check(w is not None, f"{what}: window appears")
    if w is None:
        return None
    check(drawn(w), f"{what}: the start screen is drawn")
    time.sleep(0.5)  # let a few frames be presented
    return w


def escape_ends(d, w, proc, what):
    focus(d, w)
    key(d, ["Escape"])
    status = wait_exit(proc)
    check(status == 0, f"{what}: program ends with status 0 (got {status})")


def run_scaled(d, binary):
    screen = d.screen()
    sw, sh = screen.width_in_pixels, screen.height_in_pixels
    proc = subprocess.Popen([binary, "--scale", "2"], env=ENV)
    try:
        w = shown(d, proc, "--scale 2")
        if w is None:
            return
        width, height, x, y = geometry(d, w)
        check((width, height) == (2 * WIDTH, 2 * HEIGHT), f"--scale 2: client area {width}x{height}")
        check((x, y) == (sw // 2 - WIDTH, sh // 2 - HEIGHT), f"--scale 2: position ({x}, {y}), want centred")
        hints = w.get_wm_normal_hints()
        fixed = hints is not None and (hints.min_width, hints.min_height, hints.max_width,
                                       hints.max_height) == (2 * WIDTH, 2 * HEIGHT, 2 * WIDTH, 2 * HEIGHT)
        check(fixed, f"--scale 2: not resizable (size hints {hints})")
        data, stride = image(w, 2 * WIDTH, 2 * HEIGHT)
        check(blocks_of_two(data, stride, 0, 0, 2 * WIDTH, 2 * HEIGHT, step=3),
              "--scale 2: the picture is shown in whole 2 x 2 blocks")
        escape_ends(d, w, proc, "--scale 2")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()

    # No window manager: the full-screen request is granted by nobody and the
    # window keeps its size. The program switches all the same (and saves it);
    # the picture must go on filling the window it really has.
    proc = subprocess.Popen([binary], env=ENV)
    try:
        w = shown(d, proc, "no window manager")
        if w is not None:
            windowed = image(w, WIDTH, HEIGHT)[0]

            def as_windowed():
                now = image(w, WIDTH, HEIGHT)[0]
                return all(now[i:i + 3] == windowed[i:i + 3] for i in range(0, len(now), 4))

            def saved(value):
                try:
                    with open(SETTINGS, encoding="utf-8") as f:
                        return f"fullscreen = {value}" in f.read()
                except OSError:
                    return False

            focus(d, w)
            for keys, value, what in ((["Alt_L", "Return"], "yes", "Alt+Enter"), (["F11"], "no", "F11")):
                key(d, keys)
                check(soon(lambda: saved(value)), f"no window manager, {what}: the switch is saved")
                time.sleep(0.5)  # frames after the switch
                g = geometry(d, w)
                check(g[:2] == (WIDTH, HEIGHT), f"no window manager, {what}: the window keeps its size (got {g})")
                check(as_windowed(), f"no window manager, {what}: the window shows the whole picture as before")
            escape_ends(d, w, proc, "no window manager")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()

    if shutil.which("openbox") is None:
        print("skipped: full screen needs a window manager; openbox is not installed "
              "(tools/install-deps.sh installs it)")
        return
    shutil.rmtree(os.path.dirname(SETTINGS), ignore_errors=True)  # a fresh start, in a window
    wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    proc = None
    try:
        time.sleep(1.5)
        proc = subprocess.Popen([binary], env=ENV)
        w = shown(d, proc, "full screen")
        if w is None:
            return
        windowed, wstride = image(w, WIDTH, HEIGHT)
        focus(d, w)
        key(d, ["Alt_L", "Return"])
        g = wait_geometry(d, w, (sw, sh))
        check(g == (sw, sh, 0, 0), f"Alt+Enter: the window fills the {sw}x{sh} screen (got {g})")
        factor = min(sw // WIDTH, sh // HEIGHT)
        x0, y0 = sw // 2 - WIDTH * factor // 2, sh // 2 - HEIGHT * factor // 2
        border = [(0, 0), (x0 - 1, sh // 2), (sw - 1, sh - 1), (sw // 2, y0 - 1 if y0 > 0 else sh - 1)]
        if y0 > 0:
            border.append((sw // 2, sh - y0))

        def enlarged():
            full, fstride = image(w, sw, sh)
            return all(pixel(full, fstride, x0 + factor * x + dx, y0 + factor * y + dy) == pixel(windowed, wstride, x, y)
                       for y in range(0, HEIGHT, 3) for x in range(0, WIDTH, 3) for dx in (0, factor - 1)
                       for dy in (0, factor - 1))

        def black_around():
            full, fstride = image(w, sw, sh)
            return all(pixel(full, fstride, x, y) == b"\0\0\0" for x, y in border if 0 <= x < sw and 0 <= y < sh)

        check(soon(enlarged), f"full screen: the picture enlarged {factor} times at ({x0}, {y0}), pixel for pixel")
        check(soon(black_around), "full screen: black around the picture")
        key(d, ["F11"])
        g = wait_geometry(d, w, (WIDTH, HEIGHT))
        check(g[:2] == (WIDTH, HEIGHT), f"F11: back to the {WIDTH}x{HEIGHT} window (got {g})")

        def as_before():
            back = image(w, WIDTH, HEIGHT)[0]
            return len(back) == len(windowed) and all(back[i:i + 3] == windowed[i:i + 3]
                                                      for i in range(0, len(back), 4))

        check(soon(as_before), "F11: the window shows the picture as before")
        check(proc.poll() is None, "the switches do not end the program")
        escape_ends(d, w, proc, "full screen")
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()
            proc.wait()
        wm.terminate()
        wm.wait()


def main():
    binary = sys.argv[1]
    d = display.Display()
    if "--scaled" in sys.argv[2:]:
        run_scaled(d, binary)
    else:
        for how in ("Escape", "close button", "Alt+F4"):
            run(d, binary, how)
    d.close()
    shutil.rmtree(CONFIG, ignore_errors=True)
    print(f"{passes} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
