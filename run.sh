#!/usr/bin/env bash
# Installs what is missing, builds Orvalis (Release) and starts it on the default catalogue.
set -euo pipefail
cd "$(dirname "$0")"
./tools/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVALIS_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target orvalis
# As an installer would: put the empty catalogue in the data folder when none is there yet.
data="$HOME/Orvalis"
if [ ! -e "$data/OVdata.mdb" ]; then
  mkdir -p "$data"
  cp build/release/share/orvalis/OVdata-empty.mdb "$data/OVdata.mdb"
fi
exec build/release/orvalis "$@"
