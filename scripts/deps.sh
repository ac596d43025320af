#!/usr/bin/env bash
# Installs every build dependency from Debian's packages when it is missing.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  clang libclang-rt-dev
  xvfb xauth
  # Linux back-ends: RandR/XShm/Composite/Damage/XTest over xcb, sd-bus, udev
  libxcb1-dev libxcb-randr0-dev libxcb-shm0-dev libxcb-composite0-dev
  libxcb-damage0-dev libxcb-xtest0-dev libxcb-xfixes0-dev libxcb-shape0-dev
  libxcb-keysyms1-dev libx11-dev libx11-xcb-dev libxkbcommon-dev
  libsystemd-dev libudev-dev libpipewire-0.3-dev
  # Real test beds: X servers, compositors, private buses and their stand-ins
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils
  xdotool xcompmgr dbus dbus-x11 python3-dbusmock python3-gi
  mutter pipewire wireplumber gsettings-desktop-schemas
  # Desktop integration and packaging checks
  appstream desktop-file-utils xdg-utils lintian dpkg-dev file fakeroot
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
