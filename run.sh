#!/usr/bin/env bash
# Builds VantorEditor and starts it on the demo home in build/home/ (or on the module given).
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF >/dev/null
cmake --build build
if [ $# -gt 0 ]; then
  exec build/home/VantorEditor "$@"
fi
exec build/home/VantorEditor build/home/demo/vshmain.prx
