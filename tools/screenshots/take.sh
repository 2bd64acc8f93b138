#!/usr/bin/env bash
# Takes the screenshots in docs/ with a scripted headless run of the game:
#   tools/screenshots/take.sh [BUILD_DIR]   (default: build)
# The run plays from a private copy of the game folder, so no score is saved.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/zarn" "$work/"
cp -r "$build/gfx" "$build/sound" "$build/data" "$work/"
mkdir -p "$root/docs/shots"
cd "$root/docs/shots"
"$work/zarn" --headless --clock-start 20261208 --script "$root/tools/screenshots/tour.txt"
# Real play on each level; the clock each starts at decides the game.
"$work/zarn" --headless --clock-start 7198 --script "$root/tools/screenshots/play_garden.txt"
"$work/zarn" --headless --clock-start 2886 --script "$root/tools/screenshots/play_glacier.txt"
"$work/zarn" --headless --clock-start 1776 --script "$root/tools/screenshots/play_volcano.txt"
# The results page and the highscore view, against a table the game's score enters.
printf '%s\r\n' Tabea 120 Quirin 96 Malte 81 Ronja 67 Ida 55 Frieda 42 Lenz 34 Bo 25 Pit 16 Zarn 1 \
  > "$work/data/score.txt"
"$work/zarn" --headless --script "$root/tools/screenshots/results.txt"
ls -l "$root/docs/shots"
