#!/usr/bin/env bash
# Records what the game does, so a change that must not change behaviour can be
# checked: every script in tests/scripts/ and tools/screenshots/, and whole games
# from several clocks, run headless with --trace and --audio-out; the pictures the
# screenshot scripts ask for are written too. Each run plays from a fresh copy of
# the game folder, so no run sees another's scores.
#   tools/behaviour/capture.sh BUILD_DIR OUT_DIR
# Then compare two captures with: diff -r OUT_BEFORE OUT_AFTER
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:?usage: capture.sh BUILD_DIR OUT_DIR}" && pwd)"
out="${2:?usage: capture.sh BUILD_DIR OUT_DIR}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# run NAME SCRIPT [ZARN OPTIONS...]
run() {
  local name="$1" script="$2"
  shift 2
  rm -rf "$work/game"
  mkdir -p "$work/game"
  cp "$build/zarn" "$work/game/"
  cp -r "$build/gfx" "$build/sound" "$build/data" "$work/game/"
  if [ -n "${SCORES:-}" ]; then printf '%s\r\n' $SCORES >"$work/game/data/score.txt"; fi
  mkdir -p "$out/$name"
  local status=0
  (cd "$out/$name" && "$work/game/zarn" --headless --script "$script" --trace trace.jsonl \
    --audio-out audio.wav "$@" >stdout.txt 2>stderr.txt) || status=$?
  echo "$status" >"$out/$name/status"
  cp "$work/game/data/score.txt" "$out/$name/score.txt" 2>/dev/null || true
}

for script in "$root"/tests/scripts/*.txt; do
  run "scripts-$(basename "$script" .txt)" "$script" --clock-start 1000
done
# Whole games decided by the clock they start at.
for clock in 0 7198 2886 1776 123456 4294967000; do
  run "whole-game-$clock" "$root/tests/scripts/whole_game.txt" --clock-start "$clock"
done
run shots-tour "$root/tools/screenshots/tour.txt" --clock-start 20261208
run shots-garden "$root/tools/screenshots/play_garden.txt" --clock-start 7198
run shots-glacier "$root/tools/screenshots/play_glacier.txt" --clock-start 2886
run shots-volcano "$root/tools/screenshots/play_volcano.txt" --clock-start 1776
SCORES="Tabea 120 Quirin 96 Malte 81 Ronja 67 Ida 55 Frieda 42 Lenz 34 Bo 25 Pit 16 Zarn 1" \
  run shots-results "$root/tools/screenshots/results.txt"
echo "captured $(find "$out" -type f | wc -l) files in $out"
