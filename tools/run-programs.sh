#!/usr/bin/env bash
# Runs test programs whole, offscreen and side by side, and fails when one fails. In a sanitizer
# build a memory fault, an undefined behaviour or a leak stops the program and fails it too; a
# program still running after 15 minutes has hung and is stopped and failed. A program that stops
# with status 75 (EX_TEMPFAIL) says a library it drives hung outside this code; it runs once more,
# and fails if it does not pass then.
# Usage: run-programs.sh [--as-test-user] <build dir> <program>...
#   --as-test-user  run them as the unprivileged user of tools/as-test-user.sh
# ORVALIS_SKIP_LOG, when set, names the file the programs append their skipped tests to.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
prefix=()
if [ "${1:-}" = "--as-test-user" ]; then
  prefix=("$here/as-test-user.sh")
  shift
fi
dir="$(cd "$1" && pwd)"
shift
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
start() {
  timeout --kill-after=10 900 "${prefix[@]}" "$dir/$1" --gtest_brief=1 >"$logs/$1.log" 2>&1 &
}
pids=()
for program in "$@"; do
  start "$program"
  pids+=("$!")
done
failed=0
i=0
for program in "$@"; do
  status=0
  wait "${pids[$i]}" || status=$?
  if [ "$status" -eq 75 ]; then
    echo "== $program stopped, saying a library hung; running it once more:"
    grep -v 'does not support' "$logs/$program.log" | tail -n 3
    start "$program"
    status=0
    wait "$!" || status=$?
  fi
  if [ "$status" -ne 0 ]; then
    # timeout gives 124 when the program stopped at its signal, 137 when it had to be killed.
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
      echo "== $program hung: stopped after 15 minutes"
    else
      echo "== $program failed (exit status $status):"
    fi
    grep -v 'does not support' "$logs/$program.log"
    failed=1
  fi
  i=$((i + 1))
done
[ "$failed" -eq 0 ] && echo "Passed: $*"
exit "$failed"
