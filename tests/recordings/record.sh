#!/usr/bin/env bash
# Plays the three recorded games of tests/recordings/ again in a real window
# (under a virtual X server) and records them anew, one per tile set, then
# writes their digests from the live traces. Needed only when the program no
# longer plays the old recordings in sync; after a change that only changes
# what the games come to, check.py --update is enough.
#   tests/recordings/record.sh BUILD_DIR     (a release build plays most like a player's)
# Each game takes a little over five minutes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: record.sh BUILD_DIR}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
games=("garden 7 Gardener" "glacier 8 Skater" "volcano 9 Firewalker")
for game in "${games[@]}"; do
  read -r name key player <<<"$game"
  xvfb-run -a -s "-screen 0 1280x1024x24" /usr/bin/python3 "$here/play.py" "$build/zarn" "$work" "$name" "$key" "$player"
done
for game in "${games[@]}"; do
  read -r name _ <<<"$game"
  cp "$work/$name.zrec" "$here/$name.zrec"
done
/usr/bin/python3 "$here/check.py" "$build/zarn" --live "$work"
