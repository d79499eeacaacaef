#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and benchmarks with.
# Idempotent: packages already present are left alone. Run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libjsoncpp-dev libpugixml-dev zlib1g-dev
  libcurl4-openssl-dev libgcrypt20-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3 zip unzip gdb
  librsvg2-bin optipng fonts-noto-cjk python3-fonttools
  hwdata libdrm-common
  qt6-base-dev libfontconfig-dev fonts-dejavu-core
  xvfb xdotool x11-apps
  dbus-daemon at-spi2-core python3-pyatspi
  desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
