#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for N seconds (default 60).
# A fault found leaves its input as build-fuzz/<target>-crash-*; copy it to
# fuzz/regressions/<target>/ so the regression tests replay it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
./deps.sh clang libclang-rt-14-dev
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTOR_FUZZ=ON -DVANTOR_SANITIZE=ON -DVANTOR_TESTS=OFF -DVANTOR_BENCH=OFF >/dev/null
targets=$(sed -n 's/^vantor_fuzzer(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
# The fuzz targets and what they link, not the programs and the rest of the tree.
cmake --build build-fuzz --target $targets
status=0
for target in $targets; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/regressions/$target" ] && seeds+=("fuzz/regressions/$target")
  echo "== $target: $seconds s"
  if ! (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 ./"$target" -max_total_time="$seconds" -artifact_prefix="$target-" \
        -print_final_stats=1 "corpus/$target" "${seeds[@]/#/../}" 2>"$target.log"); then
    echo "   $target found a fault: see build-fuzz/$target.log"; status=1
  else
    grep -E '^stat::number_of_executed_units' "build-fuzz/$target.log" || true
  fi
done
exit $status
