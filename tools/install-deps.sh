#!/usr/bin/env bash
# Installs, from Debian packages, everything the project needs to build, test and run.
# Run as root on Debian 12. Without root it only reports what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ninja-build
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  libsdl2-dev
  libpng-dev zlib1g-dev libjpeg62-turbo-dev
  libgl-dev libgl1-mesa-dri libglx-mesa0 mesa-utils
  xvfb xauth xdotool x11-utils
  zenity
  libx11-dev
  doxygen
  libvorbis-dev libogg-dev
  libfreetype-dev fonts-dejavu-core
  libenet-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "missing Debian packages (run this script as root to install them): ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
