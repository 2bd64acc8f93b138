#!/usr/bin/env bash
# Rebuilds the game font and every generated asset and documentation picture.
# The results are committed; run this after changing tools/font or
# tools/assetgen, and commit what changed.
#   tools/assetgen/regenerate.sh [--preview DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${ASSETGEN_BUILD:-$root/build-assetgen}"
bash "$root/tools/install-deps.sh"
/usr/bin/python3 "$root/tools/font/build_font.py" "$root/assets/data/Font2.ttf"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZARN_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target assetgen
"$build/tools/assetgen/assetgen" "$root" "$@"
