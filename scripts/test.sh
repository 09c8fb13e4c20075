#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite:
# the full suite in a normal build, then the engine tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
export QT_QPA_PLATFORM=offscreen

cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
# A test that fails is run once more, so only a failure that repeats counts: LeakSanitizer's
# tracer has been seen to die at exit on this kind of machine.
ctest --preset sanitize --repeat until-pass:2
