#!/usr/bin/env bash
# bench/run-scan.sh [bench_scan arguments]: builds the benchmark and quiravel-cli in release mode
# into build-bench/, then runs bench_scan with the arguments, e.g. `--generate 100000` or a tree.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/configure.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_GUI=OFF -DQV_BUILD_TESTS=OFF
cmake --build "$root/build-bench" --target bench_scan -j1 >&2
exec "$root/build-bench/bench_scan" "$@"
