#!/usr/bin/env bash
# Builds the program and runs it. Without a display it runs headless on the
# simulated platform, prints the screens' state and writes pictures of the
# interface to build/snapshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target velvetpane
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # Nothing to show a window on: print the simulated screens' state and
  # draw the interface into pictures instead.
  ./build/velvetpane --headless
  ./build/velvetpane --snapshots build/snapshots >/dev/null
  echo "No display: pictures of the interface are in build/snapshots/" >&2
  exit 0
fi
exec ./build/velvetpane "$@"
