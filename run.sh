#!/usr/bin/env bash
# Installs what is missing, builds Orvalis (Release) and starts it on the default catalogue (a first
# start makes it from the empty catalogue that comes with the program).
set -euo pipefail
cd "$(dirname "$0")"
./tools/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVALIS_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target orvalis
exec build/release/orvalis "$@"
