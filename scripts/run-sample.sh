#!/usr/bin/env bash
# Installs what is missing, builds Gessoria and opens the bundled sample scene.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target gessoria-cli
exec build/default/src/cli/gessoria-cli info data/sample/monkey.3ds "$@"
