#!/usr/bin/env bash
# Runs a test script inside Blender without a window:
#   run_in_blender.sh SCRIPT ARGUMENTS...
# The script gets ARGUMENTS after "--" and ends Blender with its own status. Without Blender
# the test is skipped (status 77); scripts/test.sh installs it.
set -euo pipefail
command -v blender > /dev/null || { echo "Blender is not installed: skipped"; exit 77; }
script=$1
shift
exec blender -b --factory-startup --python-exit-code 1 --python "$script" -- "$@"
