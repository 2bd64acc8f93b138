#!/usr/bin/env bash
# Checks that the committed font, assets and documentation pictures are exactly
# what tools/font/build_font.py and assetgen make: both write into a temporary
# folder and every file is compared byte for byte with the source tree. Fails,
# naming the files, when one differs or is missing, or when assets/ holds a
# file that nothing generates. Run by make test.
#   tools/assetgen/check.sh ASSETGEN_PROGRAM
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
assetgen="${1:?usage: check.sh ASSETGEN_PROGRAM}"
# Files under assets/ written by hand.
handmade=(assets/data/Font2-LICENSE.txt)

tmp="$(mktemp -d "${TMPDIR:-/tmp}/zarn_assets.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
out="$tmp/tree"
mkdir -p "$out/assets/gfx" "$out/assets/sound" "$out/assets/data" "$out/docs"
# FontForge talks a lot on stderr; its output is shown only when it fails.
if ! /usr/bin/python3 "$root/tools/font/build_font.py" "$out/assets/data/Font2.ttf" >"$tmp/font.log" 2>&1; then
  cat "$tmp/font.log" >&2
  echo "tools/font/build_font.py failed" >&2
  exit 1
fi
"$assetgen" "$out" >/dev/null

bad=0
made=0
while IFS= read -r -d '' file; do
  rel="${file#"$out"/}"
  made=$((made + 1))
  if [ ! -f "$root/$rel" ]; then
    echo "$rel: generated but not in the tree" >&2
    bad=1
  elif ! cmp -s "$file" "$root/$rel"; then
    echo "$rel: differs from what the generator makes (run tools/assetgen/regenerate.sh)" >&2
    bad=1
  fi
done < <(find "$out" -type f -print0)

while IFS= read -r -d '' file; do
  rel="${file#"$root"/}"
  [ -f "$out/$rel" ] && continue
  for h in "${handmade[@]}"; do [ "$rel" = "$h" ] && continue 2; done
  echo "$rel: in the tree but not made by the generators" >&2
  bad=1
done < <(find "$root/assets" -type f -print0)

if [ "$made" -eq 0 ]; then
  echo "the generators wrote nothing" >&2
  bad=1
fi
[ "$bad" -eq 0 ] && echo "$made generated files match the tree"
exit "$bad"
