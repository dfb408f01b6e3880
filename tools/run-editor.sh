#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the program.
# The editor window does not exist yet: this starts the command-line harness
# eqtool (without arguments it prints its usage).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release
cmake --build --preset release
exec ./build/release/bin/eqtool "${@:---help}"
