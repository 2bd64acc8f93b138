#!/usr/bin/env bash
# Runs the libFuzzer programs of a ZARN_FUZZ build one after the other, each for
# the given number of seconds, and prints for each: inputs run, coverage (cov:
# edges, ft: features), corpus size and findings.
#   tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]   (default: every *_fuzz built)
# A target's corpus grows in BUILD_DIR/fuzz/corpus/<target> (kept between runs,
# started from the seeds in tests/fuzz/corpus/<target>); crashes, leaks,
# timeouts and out-of-memory inputs are written to BUILD_DIR/fuzz/findings/<target>/,
# the fuzzer's output to BUILD_DIR/fuzz/<target>.log. Findings counts what this
# run wrote; the exit status is 1 when anything was found.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:?usage: run.sh BUILD_DIR SECONDS [TARGET...]}"
seconds="${2:?usage: run.sh BUILD_DIR SECONDS [TARGET...]}"
shift 2
build="$(cd "$build" && pwd)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/tests/fuzz/*_fuzz; do
    [ -x "$bin" ] && targets+=("$(basename "$bin")")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "run.sh: no fuzz targets in $build/tests/fuzz (build them with make fuzz)" >&2
  exit 2
fi

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
rows=()
failed=0
for t in "${targets[@]}"; do
  bin="$build/tests/fuzz/$t"
  seeds="$root/tests/fuzz/corpus/$t"
  corpus="$build/fuzz/corpus/$t"
  findings="$build/fuzz/findings/$t"
  log="$build/fuzz/$t.log"
  if [ ! -x "$bin" ] || [ ! -d "$seeds" ]; then
    echo "run.sh: $t: missing $bin or its seeds $seeds" >&2
    failed=1
    continue
  fi
  mkdir -p "$corpus" "$findings"
  stamp="$build/fuzz/$t.started"
  touch "$stamp"
  echo "== $t: ${seconds} s" >&2
  # -timeout: an input that runs this long counts as a hang.
  "$bin" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  progress=$(grep -E '^#[0-9]+.* cov: ' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$progress")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$progress")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9A-Za-z]*\).*/\1/p' <<<"$progress")
  found=$(find "$findings" -type f -newer "$stamp" \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "$t: exit status $status, see $log and $findings/" >&2
  fi
  rows+=("$(printf '| %-10s | %12s | %6s | %7s | %12s | %8s |' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found")")
done

printf '| %-10s | %12s | %6s | %7s | %12s | %8s |\n' target runs cov ft corpus findings
printf '|%s|%s|%s|%s|%s|%s|\n' ------------ -------------- -------- --------- -------------- ----------
printf '%s\n' "${rows[@]}"
exit "$failed"
