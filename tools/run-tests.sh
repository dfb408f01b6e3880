#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! bash tools/install-deps.sh; then
  echo "run-tests: FAILED: the Debian packages did not install (tools/install-deps.sh, messages above);" \
       "nothing was built or tested" >&2
  exit 1
fi
export QT_QPA_PLATFORM=offscreen
cmake --preset debug
cmake --build --preset debug
ctest --preset debug
