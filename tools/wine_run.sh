#!/usr/bin/env bash
# The cross build's emulator: runs one Windows program under Wine for ctest
# (test listings, tests, fixture commands) and passes its status on.
#
# On a loaded machine Wine now and then ends a program within milliseconds,
# before it has run at all: a failing status and not one byte of output.
# Every program ctest runs here writes to its output before it does anything
# else (a test program its header, a listing its names), so a silent failure
# is Wine's own, and the program is started once more; the second try's
# outcome stands. A run that wrote anything keeps its status, so a failing
# test always fails.
set -uo pipefail

wine=$1
shift
output=$(mktemp)
trap 'rm -f "${output}"' EXIT

for attempt in 1 2; do
  started=$(date +%s%N)
  "${wine}" "$@" | tee "${output}"
  status=${PIPESTATUS[0]}
  if [[ ${status} -eq 0 || -s ${output} ]]; then
    exit "${status}"
  fi
  if [[ ${attempt} -eq 1 ]]; then
    echo "wine_run: ${1:-} ended with status ${status} after $((($(date +%s%N) - started) / 1000000)) ms" \
         "and wrote nothing; starting it once more" >&2
  fi
done
exit "${status}"
