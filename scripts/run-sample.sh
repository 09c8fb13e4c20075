#!/usr/bin/env bash
# Installs what is missing, builds Gessoria and opens the bundled sample scene in the
# desktop program. Without a display it says so and writes a picture of the main window
# on the sample scene to sample.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target gessoria gessoria-cli
program=build/default/src/app/gessoria
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): writing a picture of the main window to sample.png."
  QT_QPA_PLATFORM=offscreen "$program" --grab sample.png data/sample/monkey.3ds "$@"
  echo "Wrote sample.png"
  exit 0
fi
exec "$program" data/sample/monkey.3ds "$@"
