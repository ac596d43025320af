#!/usr/bin/env bash
# Builds the program and runs it. Without a display it runs headless on the
# simulated platform and prints the screens' state.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target velvetpane
exec ./build/velvetpane "$@"
