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
ls -l "$root/docs/shots"
