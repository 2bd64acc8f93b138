#!/usr/bin/python3
"""Records a short game in a real window and plays it back (run by xvfb-run).

Usage: record_test.py ZARN_BINARY
Starts the program with --record and --trace in a window, plays with key events
sent through the X server (start screen, the level page with 9, a game with
walking and the music keys, Escape), then checks: the recording plays back
headless in sync and writes, with --trace, the live run's trace byte for byte;
played back in a window at its pace it writes the same trace again and takes
about as long as the live run; a replay in a window stops early when its window
is closed. Prints 'N passed, N failed'.
"""
import os
import subprocess
import sys
import tempfile
import time

from Xlib import display

from xdriver import Checks, close_button, find_window, focus, press

check = Checks()


def trace_screen(path):
    """The screen of the newest trace line, or None."""
    try:
        with open(path, "rb") as f:
            lines = f.read().split(b"\n")
    except FileNotFoundError:
        return None
    for line in reversed(lines):
        if line:
            start = line.find(b'"screen":"') + 10
            return line[start:line.find(b'"', start)].decode()
    return None


def wait_screen(path, screen, timeout=30.0):
    end = time.time() + timeout
    while time.time() < end:
        if trace_screen(path) == screen:
            return True
        time.sleep(0.02)
    return False


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return b""


def main():
    binary = os.path.abspath(sys.argv[1])
    d = display.Display()
    with tempfile.TemporaryDirectory() as work:
        rec, live = os.path.join(work, "game.zrec"), os.path.join(work, "live.jsonl")
        started = time.time()
        proc = subprocess.Popen([binary, "--record", rec, "--trace", live])
        try:
            w = find_window(d, proc)
            check(w is not None, "the recorded game's window appears")
            if w is None:
                return
            focus(d, w)
            check(wait_screen(live, "start"), "the live trace shows the start screen")
            time.sleep(0.3)
            press(d, "space")
            check(wait_screen(live, "menu"), "Space leads to the menu")
            time.sleep(0.3)
            press(d, "4")
            time.sleep(0.3)
            press(d, "9")
            time.sleep(0.3)
            press(d, "Return")
            check(wait_screen(live, "game"), "Enter starts a game")
            press(d, "d", 1.0)
            press(d, "m")
            press(d, "s", 0.6)
            press(d, "n")
            press(d, "a", 0.4)
            time.sleep(0.2)
            press(d, "Escape")
            status = proc.wait(timeout=30)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        live_seconds = time.time() - started
        check(status == 0, f"the recorded game ends with status 0 (got {status})")
        live_trace = read(live)
        check(live_trace.count(b'"screen":"game"') > 50, "the live trace holds game frames")

        # Headless, as fast as it goes: in sync, the same trace.
        replayed = os.path.join(work, "replay.jsonl")
        run = subprocess.run([binary, "--replay", rec, "--check", "--trace", replayed], capture_output=True,
                             text=True, timeout=120)
        check(run.returncode == 0 and ": in sync, " in run.stdout,
              f"the check says in sync (status {run.returncode}: {run.stdout}{run.stderr})")
        check(read(replayed) == live_trace, "the headless replay writes the live trace byte for byte")

        # In a window, at the recorded pace: the same trace again.
        windowed = os.path.join(work, "window.jsonl")
        started = time.time()
        run = subprocess.run([binary, "--replay", rec, "--trace", windowed], capture_output=True, text=True,
                             timeout=120)
        seconds = time.time() - started
        check(run.returncode == 0, f"the replay in a window ends with status 0 ({run.returncode}: {run.stderr})")
        check(read(windowed) == live_trace, "the replay in a window writes the live trace byte for byte")
        check(seconds > 0.6 * live_seconds - 5,
              f"the replay in a window keeps the recorded pace ({seconds:.1f} s, live {live_seconds:.1f} s)")

        # Closing the replay's window ends it early.
        stopped = os.path.join(work, "stopped.jsonl")
        proc = subprocess.Popen([binary, "--replay", rec, "--trace", stopped])
        try:
            w = find_window(d, proc)
            check(w is not None, "the replay's window appears")
            if w is not None:
                time.sleep(0.5)
                close_button(d, w)
                status = proc.wait(timeout=30)
                check(status == 0, f"a replay whose window is closed ends with status 0 (got {status})")
                part = read(stopped)
                check(len(part) < len(live_trace) and live_trace.startswith(part),
                      "the closed replay wrote the beginning of the live trace")
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
    sys.exit(check.report())


if __name__ == "__main__":
    main()
