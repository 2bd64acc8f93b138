#!/usr/bin/env bash
# Runs one validator on one of the files desktops read (launcher, software-centre
# data, manual page). Any complaint fails the test; a validator that is not
# installed skips it (status 77) with a message saying so.
#   validate.sh TOOL ARGS...
set -uo pipefail
tool="${1:?usage: validate.sh TOOL ARGS...}"
shift
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "skipped: $tool is not installed (tools/install-deps.sh installs it)"
  exit 77
fi
out="$("$tool" "$@" 2>&1)"
status=$?
# appstreamcli reports success on a line of its own; everything else it or the
# others print is a complaint.
complaints="$(printf '%s\n' "$out" | grep -v -e '^✔ Validation was successful' -e '^$' || true)"
if [ "$status" -ne 0 ] || [ -n "$complaints" ]; then
  printf '%s\n' "$out"
  echo "$tool $*: failed (status $status)"
  exit 1
fi
echo "$tool $*: no complaints"
