#!/usr/bin/env bash
# Installs the Debian packages Kestal needs to build, run and test, skipping those present.
# Extra package names given as arguments are installed too (scripts that need a tool only
# they use pass it). Xvfb is always installed: the README starts Kestal under xvfb-run where
# there is no display.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build pkg-config lld ccache
  qt6-base-dev libqt6opengl6-dev libfontconfig-dev
  libcurl4-openssl-dev libssl-dev zlib1g-dev libjpeg-dev libpng-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libeigen3-dev libqcustomplot-dev
  libboost-math-dev libgsl-dev libopenblas-dev liblapacke-dev
  poppler-utils libemf2svg-dev libemf2svg1 cups libcups2-dev
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2
  python3 python3-pyftpdlib python3-mpmath openssl ca-certificates locales tzdata
  xvfb xauth
)
PKGS+=("$@")
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
