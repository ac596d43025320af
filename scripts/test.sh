#!/usr/bin/env bash
# Checks the layering of the includes, then builds everything and runs the
# whole test suite, warnings as errors.
# With CI=true (or --sanitize) the core tests run a second time under
# AddressSanitizer and UndefinedBehaviorSanitizer. With CI=true also:
#   - the build is a release build (-O3) in build-release, which is where an
#     optimiser's extra warnings show up;
#   - the DDC queue tests, whose coalescing runs on a real worker thread, run
#     under ThreadSanitizer;
#   - each libFuzzer target runs for a short bounded time when clang is there
#     (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
# Before any build: a wrong include fails in a second, naming the line.
bash scripts/check-layers.sh
bash scripts/deps.sh

ci=false
[ "${CI:-}" = "true" ] && ci=true
jobs=$(nproc)

if $ci; then
  build=build-release
  build_type=Release
else
  build=build
  build_type=RelWithDebInfo
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DVELVETPANE_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
# The interface tests run on Qt's offscreen platform (set per test).
ctest --test-dir "$build" --output-on-failure -j "$jobs"
# The Debian package: lintian without errors, and the unpacked program runs.
bash scripts/package.sh "$build"

if $ci || [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELVETPANE_SANITIZE=ON -DVELVETPANE_WERROR=ON \
        -DVELVETPANE_UI=OFF -DVELVETPANE_BENCH=OFF >/dev/null
  cmake --build build-asan -j "$jobs" --target core_tests velvetpane
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core
fi

if $ci; then
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELVETPANE_TSAN=ON -DVELVETPANE_WERROR=ON \
        -DVELVETPANE_UI=OFF -DVELVETPANE_BENCH=OFF >/dev/null
  cmake --build build-tsan -j "$jobs" --target core_tests
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    build-tsan/tests/core_tests --gtest_filter='Brightness.*:DDC*'
  bash scripts/fuzz.sh 10
fi
