#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the asset tools need.
# Idempotent: when every package is already present it does nothing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  clang
  libsdl2-dev libx11-dev
  libinih-dev
  libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libfreetype-dev libjpeg-dev libpng-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth python3 python3-xlib
  fontforge python3-fontforge
  fonts-dejavu-core
  nlohmann-json3-dev
  desktop-file-utils appstream
  openbox
  graphviz
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "error: packages missing (${missing[*]}) and not root; no sudo available" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
