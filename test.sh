#!/usr/bin/env bash
# ./test.sh: installs what is missing, builds, runs every test: the normal build, the core with
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
export CTEST_OUTPUT_ON_FAILURE=1
FUZZ_SECONDS=${FUZZ_SECONDS:-30}

echo "== build"
scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 2
echo "== tests"
ctest --test-dir build --parallel 2 --timeout 600
echo "== Excel exports opened in LibreOffice"
scripts/check-xls.sh build

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/configure.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BUILD_GUI=OFF -DQV_BUILD_BENCH=OFF
cmake --build build-asan --parallel 2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --parallel 2 --timeout 900 --label-exclude gui

echo "== fuzz targets (${FUZZ_SECONDS}s each)"
CC=clang CXX=clang++ scripts/configure.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON \
    -DQV_BUILD_GUI=OFF -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
cmake --build build-fuzz --parallel 2
scripts/fuzz.sh build-fuzz "$FUZZ_SECONDS"
echo "== all tests passed"
