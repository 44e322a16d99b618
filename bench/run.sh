#!/usr/bin/env bash
# Builds quorvel-probe and the benchmark in their own folder, optimised as the presets build it, generates the file set
# and prints the figures: quorvel-probe against the floor, and against file(1) where installed.
#   QUORVEL_BENCH_DIR   where the generated files go (default /tmp/quorvel-bench)
#   QUORVEL_BENCH_COUNT how many files (default 20000, at least 20000)
#   QUORVEL_BENCH_RUNS  timed runs per program, the median is shown (default 9)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target quorvel-probe quorvel_bench quorvel_bench_floor quorvel_bench_nothing

dir="${QUORVEL_BENCH_DIR:-/tmp/quorvel-bench}"
rm -rf "$dir"
file_args=()
if command -v file >/dev/null 2>&1; then
  file_args=(--file "$(command -v file)")
  file --version | head -n 1
else
  echo "file is not installed: no figure for it"
fi
"$build/bench/quorvel_bench" \
  --tool "$build/cli/quorvel-probe" \
  --floor "$build/bench/quorvel_bench_floor" \
  --nothing "$build/bench/quorvel_bench_nothing" \
  --dir "$dir" \
  --count "${QUORVEL_BENCH_COUNT:-20000}" \
  --runs "${QUORVEL_BENCH_RUNS:-9}" \
  "${file_args[@]}"
echo "machine: $(nproc) cores, $(uname -sr), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
