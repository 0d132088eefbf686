#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the demo need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-tools-dev-tools
  libqt6uitools6 libqt6printsupport6 qt6-qpa-plugins
  libqt6opengl6-dev libgl-dev libegl-dev libxkbcommon-dev libvulkan-dev
  libqcustomplot-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev gcovr
  xvfb xauth x11-apps imagemagick
  fonts-dejavu-core fonts-dejavu-extra
)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
