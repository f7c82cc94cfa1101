#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then runs the song list's and
# the upkeep commands' test programs again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./tools/deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_BUILD_TESTS=ON >/dev/null
cmake --build build/test -j"$(nproc)"
(cd build/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j"$(nproc)" "$@")

# The sanitizer build: only the two test programs that drive the main window and the commands
# that replace it, run side by side.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_BUILD_TESTS=ON \
      -DORVALIS_SANITIZE=ON >/dev/null
cmake --build build/asan -j"$(nproc)" --target test_songlist test_reports
./tools/run-sanitized.sh build/asan test_songlist test_reports
