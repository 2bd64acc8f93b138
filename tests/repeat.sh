#!/usr/bin/env bash
# Runs every GoogleTest program of a test build with its tests in a shuffled order,
# REPEATS times over in one process (so no test may rely on running first or
# alone), from the build folder as ctest runs them. Prints one line per suite and
# exits 1 when any fails; a failing suite's output is kept in BUILD_DIR/repeat/.
#   tests/repeat.sh BUILD_DIR [REPEATS] [SUITE...]   (default 20, every *_test)
# With LOAD=1, two busy processes keep both cores loaded for the whole run.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: repeat.sh BUILD_DIR [REPEATS] [SUITE...]}" && pwd)"
repeats="${2:-20}"
shift $(($# < 2 ? $# : 2))
suites=("$@")
if [ ${#suites[@]} -eq 0 ]; then
  for bin in "$build"/tests/*_test; do [ -x "$bin" ] && suites+=("$(basename "$bin")"); done
fi
mkdir -p "$build/repeat"
load_pids=()
if [ "${LOAD:-0}" = 1 ]; then
  for _ in 1 2; do (while :; do :; done) & load_pids+=($!); done
  trap 'kill "${load_pids[@]}" 2>/dev/null' EXIT
fi
export ZARN_SOURCE_DIR="$root"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:intercept_tls_get_addr=0}"
failed=0
for s in "${suites[@]}"; do
  log="$build/repeat/$s.log"
  start=$(date +%s)
  (cd "$build" && "$build/tests/$s" --gtest_shuffle --gtest_repeat="$repeats" --gtest_brief=1) >"$log" 2>&1
  status=$?
  if [ "$status" -eq 0 ]; then
    echo "$s: $repeats shuffled repeats passed ($(($(date +%s) - start)) s)"
    rm -f "$log"
  else
    echo "$s: FAILED (status $status), see $log"
    failed=1
  fi
done
exit "$failed"
