#!/usr/bin/env bash
# Installs what is missing, builds the program and opens the editor window.
#
#   tools/run-editor.sh [--preset NAME] [arguments for toliva...]
#
# The preset is "release" unless --preset names another (the tests run the
# debug tree they built). The remaining arguments go to the program; file
# names are taken from the folder the script was started in.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

preset=release
while [ $# -gt 0 ]; do
  case "$1" in
    --preset)
      [ $# -ge 2 ] || { echo "run-editor: --preset needs a preset name" >&2; exit 2; }
      preset="$2"
      shift 2
      ;;
    --preset=*)
      preset="${1#--preset=}"
      shift
      ;;
    *) break ;;
  esac
done

# The editor is a window: without a display it cannot start, so say so before
# anything is installed or built.
platform="${QT_QPA_PLATFORM:-}"
platform="${platform%%:*}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
   [ "$platform" != offscreen ] && [ "$platform" != minimal ]; then
  echo "run-editor: there is no display (DISPLAY and WAYLAND_DISPLAY are empty); start it under Xvfb with: xvfb-run -a bash tools/run-editor.sh" >&2
  exit 1
fi

if ! bash "$root/tools/install-deps.sh"; then
  echo "run-editor: FAILED: the Debian packages did not install (tools/install-deps.sh, messages above);" \
       "nothing was built" >&2
  exit 1
fi
(
  cd "$root"
  cmake --preset "$preset"
  cmake --build --preset "$preset" --target toliva
)
exec "$root/build/$preset/bin/toliva" "$@"
