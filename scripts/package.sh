#!/usr/bin/env bash
# Builds the Debian package gessoria_<version>_<arch>.deb in BUILD_DIR (default
# build/default), configuring and building first when needed.
#   bash scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
bash scripts/install-deps.sh
if [ ! -f "$build/CPackConfig.cmake" ]; then
  cmake --preset default
fi
cmake --build "$build"
(cd "$build" && cpack -G DEB)
ls "$build"/gessoria_*.deb
