#!/usr/bin/python3
"""Replays the recorded games of this folder and compares them with their digests.

Usage:
    check.py ZARN_BINARY              replay each NAME.zrec headless with --check and
                                      --trace; the trace's digest must be the one in
                                      digests.json
    check.py ZARN_BINARY --update     write digests.json from the replays (after a
                                      change of behaviour made on purpose)
    check.py ZARN_BINARY --live DIR   write digests.json from the live traces
                                      DIR/NAME.live.jsonl that record.sh made, after
                                      checking that each replay writes its live trace
                                      byte for byte

A digest is the SHA-256 of the whole trace together with statistics of the game
(frames per screen, counters at the end, score, the saved table, sounds), which
say what changed when the hash does not match. Prints, for each recording, its
size per minute of play and the replay's speed in frames per second.
"""
import collections
import hashlib
import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DIGESTS = os.path.join(HERE, "digests.json")


def statistics(text):
    screens = collections.Counter()
    sounds = collections.Counter()
    last_game = None
    results = None
    table = None
    first = last = None
    for line in text.splitlines():
        frame = json.loads(line)
        first = first or frame
        last = frame
        screens[frame["screen"]] += 1
        for s in frame.get("sfx", []):
            sounds[s] += 1
        if frame["screen"] == "game":
            last_game = frame
        elif frame["screen"] == "results":
            results = frame
        elif frame["screen"] == "highscore" and table is None:
            table = frame["table"]
    return {
        "sha256": hashlib.sha256(text.encode("latin-1")).hexdigest(),
        "frames": last["f"] if last else 0,
        "milliseconds": (last["t"] - first["t"]) & 0xFFFFFFFF if last else 0,
        "screens": dict(sorted(screens.items())),
        "counters": last_game["counters"] if last_game else None,
        "score": results["score"] if results else None,
        "name": results["name"] if results else None,
        "table": table,
        "sounds": dict(sorted(sounds.items())),
    }


def replay(zarn, recording, trace):
    start = time.monotonic()
    run = subprocess.run([zarn, "--replay", recording, "--check", "--trace", trace],
                         capture_output=True, text=True)
    seconds = time.monotonic() - start
    with open(trace, encoding="latin-1") as f:
        text = f.read()
    return run, text, seconds


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    zarn = os.path.abspath(args[0])
    update = "--update" in args
    live_dir = args[args.index("--live") + 1] if "--live" in args else None
    names = sorted(f[:-5] for f in os.listdir(HERE) if f.endswith(".zrec"))
    if not names:
        print("check.py: no recordings in " + HERE, file=sys.stderr)
        return 1
    stored = {}
    if os.path.exists(DIGESTS):
        with open(DIGESTS) as f:
            stored = json.load(f)
    failures = 0
    digests = {}
    with tempfile.TemporaryDirectory() as work:
        for name in names:
            recording = os.path.join(HERE, name + ".zrec")
            run, text, seconds = replay(zarn, recording, os.path.join(work, name + ".jsonl"))
            if run.returncode != 0 or "in sync" not in run.stdout:
                print(f"FAIL {name}: the replay is not in sync (status {run.returncode})\n{run.stdout}{run.stderr}")
                failures += 1
                continue
            got = statistics(text)
            minutes = got["milliseconds"] / 60000
            size = os.path.getsize(recording)
            print(f"{name}: {got['frames']} frames, {minutes:.1f} minutes of play, {size} bytes "
                  f"({size / 1024 / minutes:.1f} KiB a minute), replayed in {seconds:.1f} s "
                  f"({got['frames'] / seconds:.0f} frames a second)")
            if live_dir is not None:
                with open(os.path.join(live_dir, name + ".live.jsonl"), encoding="latin-1") as f:
                    live = f.read()
                if live != text:
                    print(f"FAIL {name}: the replay's trace differs from the live run's")
                    failures += 1
                    continue
                print(f"{name}: the replay's trace is the live run's, byte for byte")
                digests[name] = statistics(live)
            elif update:
                digests[name] = got
            else:
                want = stored.get(name)
                if want is None:
                    print(f"FAIL {name}: no digest in {DIGESTS} (run check.py --update)")
                    failures += 1
                elif want != got:
                    print(f"FAIL {name}: the game went differently")
                    for key in want:
                        if want[key] != got.get(key):
                            print(f"  {key}: recorded {json.dumps(want[key])}, now {json.dumps(got.get(key))}")
                    failures += 1
    if (update or live_dir is not None) and failures == 0:
        with open(DIGESTS, "w") as f:
            json.dump(digests, f, indent=1, sort_keys=True)
            f.write("\n")
        print("wrote " + DIGESTS)
    if failures:
        print(f"{failures} of {len(names)} recordings failed")
        return 1
    print(f"{len(names)} recordings replayed as recorded")
    return 0


if __name__ == "__main__":
    sys.exit(main())
