#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
