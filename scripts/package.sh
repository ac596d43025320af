#!/usr/bin/env bash
# Builds the Debian package from an existing build (default: build/), checks
# it with lintian (errors fail), then unpacks it into a temporary root and
# runs the unpacked program from there: --version and one headless command,
# which must find the scenarios installed beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

rm -f "$build"/velvetpane_*.deb
cmake --build "$build" --target velvetpane
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/velvetpane_*.deb)
echo "package: $deb"

lintian --fail-on error "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
program="$root/usr/bin/velvetpane"
"$program" --version
# Without a display and not on a terminal: the JSON state.
state=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --headless --do "setBrightness 2 0.4")
echo "$state" | /usr/bin/python3 -c '
import json, sys
state = json.load(sys.stdin)
assert state["brightness"]["2"] == 0.4, state["brightness"]
assert len(state["screens"]) == 3, state["screens"]
print("unpacked program: headless state with", len(state["screens"]), "screens")'
