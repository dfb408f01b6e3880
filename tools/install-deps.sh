#!/usr/bin/env bash
# Installs every Debian package the build, the generators, the programs and
# the tests read from; a fresh Debian 12 machine sets up from this list alone.
# Quick when everything is present: apt is only touched for missing packages.
# tools/check-packages.py (run by .ci/run) fails when the build or the tests
# read a file of a package that is neither named here nor needed by one that
# is (nor of Priority required).
#
#   tools/install-deps.sh          install what is missing
#   tools/install-deps.sh --list   print the package names, one a line
set -euo pipefail

packages=(
  # Build: compilers, CMake, Ninja; clang and its sanitizer runtimes for the fuzz preset.
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # Libraries the programs link.
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libqscintilla2-qt6-dev
  libpugixml-dev libcurl4-openssl-dev libsqlite3-dev
  # libcurl's TLS reads OpenSSL's configuration at set-up, and HTTPS transfers
  # check servers against the system's CA bundle.
  openssl ca-certificates
  libuemf-dev libgif-dev libpng-dev libgsf-1-dev
  # Qt's TIFF writer for picture export (and its reader in the tests).
  qt6-image-formats-plugins
  # Tests and benchmarks.
  libgtest-dev libgmock-dev libbenchmark-dev
  # Fonts: the font table (data/sources/fonts.tsv), the symbol library's
  # sources (data/sources/symlib/fonts.tsv: STIX, Latin Modern Math, the TeX
  # Gyre math fonts), the Layout page's section pictures (data/sources/pages/ES:
  # DejaVu, the integral and summation signs of those math fonts, WenQuanYi
  # for a CJK character), and the italic DejaVu faces fontconfig picks for
  # the slanted styles of the DejaVu families.
  fonts-stix fonts-cmu fonts-liberation fonts-dejavu-core fonts-dejavu-extra fonts-wqy-microhei
  fonts-lmodern fonts-texgyre fonts-texgyre-math
  # A display for the dialog screenshots (tests/uikit/DialogScreenshotTest.cpp under xvfb-run)
  # and for copy and paste between two programs (tests/x11, xvfb-run with Qt's xcb platform).
  xvfb xauth qt6-qpa-plugins
  # The editor session test types into the program under Xvfb.
  xdotool
  # Tools the tests run: fontTools reads the font files, xmllint validates
  # MathML against the W3C DTD, pandoc reads LaTeX and MathML back, pdfinfo
  # and pdftotext (poppler-utils) read a printed PDF file back.
  python3 python3-fonttools
  libxml2-utils w3c-sgml-lib pandoc poppler-utils
  # tools/check-packages.py traces the tests and the generators.
  strace
)

if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

fail() {
  echo "install-deps: FAILED: $*" >&2
  echo "install-deps: the packages still missing: ${missing[*]}" >&2
  exit 1
}

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || fail "apt-get update did not succeed"
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
  fail "apt-get install did not succeed (see apt's messages above)"

still_missing=()
for p in "${missing[@]}"; do
  installed "$p" || still_missing+=("$p")
done
if [ ${#still_missing[@]} -ne 0 ]; then
  missing=("${still_missing[@]}")
  fail "apt-get install left packages uninstalled"
fi
