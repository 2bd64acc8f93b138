#!/usr/bin/python3
"""Plays whole games of Zarn in a real window and records them.

Usage (under an X server, e.g. xvfb-run):
    play.py ZARN_BINARY OUT_DIR NAME LEVEL_KEY PLAYER_NAME

Starts the game from a fresh copy of its folder (so the highscore table it
reads is the one the game comes with) with --record OUT_DIR/NAME.zrec and
--trace OUT_DIR/NAME.live.jsonl, and plays it with key events sent through the
X server's test extension, as a player's keyboard would: the start screen, the
help pages, the music keys, the level page with LEVEL_KEY (7, 8 or 9), then a
whole game of 300 seconds, the name typed on the results screen, the score
saved, back to the menu and Escape. The player reads the game's state trace as
it is written, finds its way through the level's cell map and walks to
diamonds, to the hole of the colour it carries most of, and to power-ups; the
Blobbs are not avoided, so they steal now and then. Prints what happened.
"""
import collections
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "x11"))
from xdriver import find_window, focus, keycode  # noqa: E402

CELL = 32
COLUMNS, ROWS = 37, 25
# The world position of the figure is 200 plus the scroll; these points of the
# figure are what its walking tests against the maze.
FIGURE = 200
POINT_X, POINT_Y = 12, 16
HOLES = [(133, 650), (53, 50), (1113, 760)]  # centres of the blue, green and red holes
LEVEL_CELLS = {"7": "data/level_01.2.txt", "8": "data/level_02.2.txt", "9": "data/level_02.2.txt"}


class Trace:
    """The newest state from the trace file the game writes."""

    def __init__(self, path):
        self.path = path
        self.offset = 0
        self.rest = b""
        self.last = None
        self.lines = 0

    def poll(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except FileNotFoundError:
            return self.last
        self.offset += len(data)
        data = self.rest + data
        *complete, self.rest = data.split(b"\n")
        for line in complete:
            if line:
                self.lines += 1
                self.last = json.loads(line)
        return self.last

    def wait(self, test, timeout=30.0):
        end = time.time() + timeout
        while time.time() < end:
            state = self.poll()
            if state is not None and test(state):
                return state
            time.sleep(0.005)
        raise RuntimeError("the game did not reach the expected state")


class Keyboard:
    def __init__(self, d):
        self.d = d
        self.held = None

    def press(self, name, hold=0.06, shift=False):
        if shift:
            xtest.fake_input(self.d, X.KeyPress, keycode(self.d, "Shift_L"))
        xtest.fake_input(self.d, X.KeyPress, keycode(self.d, name))
        self.d.sync()
        time.sleep(hold)
        xtest.fake_input(self.d, X.KeyRelease, keycode(self.d, name))
        if shift:
            xtest.fake_input(self.d, X.KeyRelease, keycode(self.d, "Shift_L"))
        self.d.sync()

    def hold(self, name):
        """Holds one key (None: none), letting go of the one held before."""
        if name == self.held:
            return
        if self.held is not None:
            xtest.fake_input(self.d, X.KeyRelease, keycode(self.d, self.held))
        if name is not None:
            xtest.fake_input(self.d, X.KeyPress, keycode(self.d, name))
        self.d.sync()
        self.held = name


def read_cells(path):
    rows = []
    with open(path, encoding="latin-1") as f:
        for line in f.read().splitlines()[:ROWS]:
            cells = line.split(" ")
            rows.append([(cells[c] if c < len(cells) else "0") for c in range(COLUMNS)])
    return rows


def open_cell(cells, c, r):
    return 0 <= c < COLUMNS and 0 <= r < ROWS and cells[r][c] > "5"


def path_to(cells, start, goal):
    """Cells from start to goal (both included) through open cells, or None."""
    if start == goal:
        return [start]
    before = {start: None}
    queue = collections.deque([start])
    while queue:
        cur = queue.popleft()
        for dc, dr in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            nxt = (cur[0] + dc, cur[1] + dr)
            if nxt in before or not open_cell(cells, *nxt):
                continue
            before[nxt] = cur
            if nxt == goal:
                path = [nxt]
                while before[path[-1]] is not None:
                    path.append(before[path[-1]])
                return path[::-1]
            queue.append(nxt)
    return None


class Player:
    def __init__(self, cells, keys):
        self.cells = cells
        self.keys = keys
        self.stuck_since = None
        self.last_point = None
        self.unstick_until = 0
        self.unstick_key = None
        self.picked = 0
        self.delivered = 0
        self.thefts = 0
        self.powerups = 0
        self.prev = None

    def note(self, s):
        """Counts pick-ups, deliveries, thefts and power-ups from one frame to the next."""
        if self.prev is not None:
            before, now = self.prev["counters"], s["counters"]
            for c in range(3):
                if now[c + 3] > before[c + 3]:
                    self.delivered += now[c + 3] - before[c + 3]
                elif now[c] < before[c]:
                    self.thefts += 1
                if now[c] > before[c] and now[c + 3] == before[c + 3]:
                    self.picked += now[c] - before[c]
            taken = sum(1 for sl in s["slots"] if sl[0]) - sum(1 for sl in self.prev["slots"] if sl[0])
            if taken > 0:
                self.powerups += taken
        self.prev = s

    def target(self, s, here):
        carried = s["counters"][:3]
        free_slot = any(sl[0] == 0 for sl in s["slots"])
        best = None
        if free_slot:
            for item in s["items"]:
                if item[0]:
                    p = path_to(self.cells, here, (item[1], item[2]))
                    if p and (best is None or len(p) < len(best[0])) and (len(p) < 30 or self.powerups == 0):
                        best = (p, (item[1] * CELL + 15, item[2] * CELL + 15))
        if best:
            return best
        if sum(carried) >= 4 or (s["timeLeft"] < 25 and sum(carried) > 0):
            colour = max(range(3), key=lambda c: carried[c])
            x, y = HOLES[colour]
            p = path_to(self.cells, here, (x // CELL, y // CELL))
            if p:
                return p, (x, y)
        for d in s["diam"]:
            if d[0]:
                p = path_to(self.cells, here, (d[1], d[2]))
                if p and (best is None or len(p) < len(best[0])):
                    best = (p, (d[1] * CELL + 15, d[2] * CELL + 15))
        return best

    def step(self, s):
        self.note(s)
        px = FIGURE + s["scroll"][0] + POINT_X
        py = FIGURE + s["scroll"][1] + POINT_Y
        now = time.time()
        # Stuck against something: walk a little in another direction.
        if now < self.unstick_until:
            self.keys.hold(self.unstick_key)
            return
        if (px, py) != self.last_point:
            self.last_point = (px, py)
            self.stuck_since = now
        elif self.keys.held is not None and now - self.stuck_since > 1.0:
            self.unstick_key = {"a": "w", "w": "d", "d": "s", "s": "a"}[self.keys.held]
            self.unstick_until = now + 0.4
            self.stuck_since = now
            return
        here = (px // CELL, py // CELL)
        goal = self.target(s, here)
        if goal is None:
            self.keys.hold(None)
            return
        path, (gx, gy) = goal
        # The next cell's centre, or the goal itself once in its cell.
        if len(path) > 1:
            nc, nr = path[1]
            tx, ty = nc * CELL + 16, nr * CELL + 16
            horizontal = nr == here[1]
        else:
            tx, ty = gx, gy
            horizontal = abs(tx - px) >= abs(ty - py)
        # Along the way to the target, and across it: on the way to the next
        # cell the figure first lines up with it across, then walks.
        along = ((px, tx, "a", "d"), (py, ty, "w", "s"))
        if not horizontal:
            along = along[::-1]
        (a, ta, back_a, on_a), (c, tc, back_c, on_c) = along
        if abs(c - tc) > 3 and len(path) > 1:
            self.keys.hold(back_c if c > tc else on_c)
        elif abs(a - ta) > 1:
            self.keys.hold(back_a if a > ta else on_a)
        elif abs(c - tc) > 1:
            self.keys.hold(back_c if c > tc else on_c)
        else:
            self.keys.hold(None)


def main():
    binary, out_dir, name, level_key, player_name = sys.argv[1:6]
    binary = os.path.abspath(binary)
    out_dir = os.path.abspath(out_dir)
    record = os.path.join(out_dir, name + ".zrec")
    trace_path = os.path.join(out_dir, name + ".live.jsonl")
    for p in (record, trace_path):
        if os.path.exists(p):
            os.remove(p)
    game_dir = tempfile.mkdtemp(prefix="zarn-play-")
    try:
        source = os.path.dirname(binary)
        shutil.copy(binary, game_dir)
        for sub in ("gfx", "sound", "data"):
            shutil.copytree(os.path.join(source, sub), os.path.join(game_dir, sub))
        cells = read_cells(os.path.join(game_dir, LEVEL_CELLS[level_key]))
        d = display.Display()
        proc = subprocess.Popen([os.path.join(game_dir, "zarn"), "--record", record, "--trace", trace_path])
        w = find_window(d, proc)
        if w is None:
            raise RuntimeError("no game window")
        focus(d, w)
        keys = Keyboard(d)
        trace = Trace(trace_path)

        def screen(name):
            return lambda s: s["screen"] == name

        trace.wait(screen("start"))
        time.sleep(1.0)
        keys.press("space")
        trace.wait(screen("menu"))
        # The help pages, the music off and on again, the level page.
        for page in ("1", "2", "3"):
            time.sleep(0.8)
            keys.press(page)
            trace.wait(lambda s, p=page: s["screen"] == "menu" and s["page"] == int(p))
        time.sleep(0.5)
        keys.press("m")
        time.sleep(0.7)
        keys.press("n")
        time.sleep(0.5)
        keys.press("4")
        trace.wait(lambda s: s["screen"] == "menu" and s["page"] == 4)
        time.sleep(0.6)
        keys.press(level_key)
        trace.wait(lambda s: s["screen"] == "menu" and s["choice"] == int(level_key) - 7)
        time.sleep(0.8)
        keys.press("Return")
        trace.wait(screen("game"))
        player = Player(cells, keys)
        while True:
            s = trace.poll()
            if s["screen"] != "game":
                break
            player.step(s)
            time.sleep(0.004)
        keys.hold(None)
        # The name: letters, a digit the name does not take, a letter taken back.
        trace.wait(screen("results"))
        time.sleep(1.0)
        for ch in player_name + "7x":
            keys.press(ch.lower(), 0.05, shift=ch.isupper())
            time.sleep(0.15)
        keys.press("BackSpace")
        time.sleep(0.8)
        keys.press("space")
        result = trace.wait(screen("highscore"))
        time.sleep(2.0)
        keys.press("Return")
        trace.wait(screen("menu"))
        time.sleep(1.0)
        keys.press("Escape")
        status = proc.wait(timeout=30)
        final = trace.poll()
        print(f"{name}: status {status}, frames {final['f']}, score {result['score']}, "
              f"picked up {player.picked}, delivered {player.delivered}, thefts {player.thefts}, "
              f"power-ups {player.powerups}, recording {os.path.getsize(record)} bytes")
    finally:
        shutil.rmtree(game_dir, ignore_errors=True)


if __name__ == "__main__":
    main()
