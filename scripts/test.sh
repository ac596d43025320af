#!/usr/bin/env bash
# Builds everything and runs the whole test suite. With CI=true (or
# --sanitize) the core tests run a second time under AddressSanitizer and
# UndefinedBehaviorSanitizer. With CI=true each libFuzzer target also runs
# for a short bounded time when clang is there (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
# The interface tests run on Qt's offscreen platform (set per test); they
# also leave pictures of the interface in build/snapshots/.
ctest --test-dir build --output-on-failure -j "$jobs"
echo "Interface snapshots: build/snapshots/" >&2
# The Debian package: lintian without errors, and the unpacked program runs.
bash scripts/package.sh build

if [ "${CI:-}" = "true" ] || [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELVETPANE_SANITIZE=ON \
        -DVELVETPANE_UI=OFF -DVELVETPANE_BENCH=OFF >/dev/null
  cmake --build build-asan -j "$jobs" --target core_tests velvetpane
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core
fi

if [ "${CI:-}" = "true" ]; then
  bash scripts/fuzz.sh 10
fi
