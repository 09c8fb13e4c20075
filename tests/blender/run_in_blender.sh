#!/usr/bin/env bash
# Runs a test script inside Blender, in the background or with --window in its interface on
# a virtual display of its own:
#   run_in_blender.sh [--window] SCRIPT ARGUMENTS...
# The script gets ARGUMENTS after "--" and ends Blender with its own status. Without Blender
# the test is skipped (status 77); scripts/test.sh installs it.
set -euo pipefail
command -v blender > /dev/null || { echo "Blender is not installed: skipped"; exit 77; }
if [ "$1" = --window ]; then
  script=$2
  shift 2
  exec xvfb-run -a -s "-screen 0 1280x800x24" \
    blender --factory-startup --python-exit-code 1 --python "$script" -- "$@"
fi
script=$1
shift
exec blender -b --factory-startup --python-exit-code 1 --python "$script" -- "$@"
