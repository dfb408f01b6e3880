#!/usr/bin/env bash
# Installs every Debian package the build, the programs and the tests need.
# Quick when everything is present: apt is only touched for missing packages.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libqscintilla2-qt6-dev
  libpugixml-dev libcurl4-openssl-dev libsqlite3-dev
  libuemf-dev libgif-dev libgsf-1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-stix fonts-cmu fonts-liberation fonts-dejavu-core fonts-wqy-microhei
  fonts-lmodern fonts-texgyre fonts-texgyre-math
  xvfb xauth
  python3 python3-fonttools
  libxml2-utils w3c-sgml-lib pandoc
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
