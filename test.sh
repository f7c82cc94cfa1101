#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; runs the test programs whose
# code writes numbers and dates once more under a German locale; then builds every test program
# with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer and runs them all, side by
# side, as an unprivileged user when started as root (the permission tests skip as root). Each run
# says how many tests it skipped and why; a reason tools/skips.txt does not accept fails it.
# Arguments go to the first ctest run.
set -euo pipefail
cd "$(dirname "$0")"
./tools/deps.sh
jobs="$(nproc)"

# One test program per folder of tests/ that holds tests (as CMakeLists.txt makes them).
programs=()
for d in tests/*/ tests/*/*/; do
  d="${d%/}"
  [ "$d" = tests/common ] && continue
  compgen -G "$d/*.cpp" >/dev/null && programs+=("test_$(echo "${d#tests/}" | tr / _)")
done
localeSensitive=(test_platform_db test_platform_ui test_core test_songlist test_editor test_player
                 test_categories test_reports)

logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
chmod 755 "$logs"
for run in normal german sanitized; do
  : >"$logs/$run.skips"
  chmod 666 "$logs/$run.skips"
done
user="$(id -u)"
[ "$user" -eq 0 ] && as=root || as=unprivileged
failed=0

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_BUILD_TESTS=ON >/dev/null
cmake --build build/test -j"$jobs"
(cd build/test && ORVALIS_SKIP_LOG="$logs/normal.skips" QT_QPA_PLATFORM=offscreen \
   ctest --output-on-failure --no-tests=error -j"$jobs" "$@")

echo "== The locale-sensitive test programs under de_DE.UTF-8"
LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 ORVALIS_SKIP_LOG="$logs/german.skips" \
  ./tools/run-programs.sh build/test "${localeSensitive[@]}" || failed=1

echo "== Every test program under the sanitizers"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_BUILD_TESTS=ON \
      -DORVALIS_SANITIZE=ON >/dev/null
cmake --build build/asan -j"$jobs" --target "${programs[@]}"
sanitizedAs="$as"
unprivileged=()
if [ "$user" -eq 0 ]; then
  sanitizedAs=unprivileged
  unprivileged=(--as-test-user)
  echo "(as the unprivileged user orvalis-tests)"
fi
ORVALIS_SKIP_LOG="$logs/sanitized.skips" \
  ./tools/run-programs.sh "${unprivileged[@]}" build/asan "${programs[@]}" || failed=1

echo "== Skipped tests"
./tools/check-skips.sh "$as" "The run as $as" "$logs/normal.skips" || failed=1
./tools/check-skips.sh "$as" "The run under de_DE.UTF-8" "$logs/german.skips" || failed=1
./tools/check-skips.sh "$sanitizedAs" "The sanitized run as $sanitizedAs" "$logs/sanitized.skips" || failed=1
exit "$failed"
