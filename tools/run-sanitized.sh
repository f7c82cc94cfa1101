#!/usr/bin/env bash
# Runs test programs of a sanitizer build offscreen, side by side, and fails when one fails or a
# sanitizer reports (a memory fault, an undefined behaviour or a leak stops the program).
# Usage: run-sanitized.sh <build dir> <program>...
set -euo pipefail
dir="$1"
shift
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
pids=()
for program in "$@"; do
  "$dir/$program" --gtest_brief=1 >"$logs/$program.log" 2>&1 &
  pids+=("$!")
done
failed=0
i=0
for program in "$@"; do
  if ! wait "${pids[$i]}"; then
    echo "== $program failed under the sanitizers:"
    grep -v 'does not support' "$logs/$program.log"
    failed=1
  fi
  i=$((i + 1))
done
[ "$failed" -eq 0 ] && echo "Passed under AddressSanitizer and UndefinedBehaviorSanitizer: $*"
exit "$failed"
