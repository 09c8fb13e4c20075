#!/usr/bin/env bash
# Installs the Debian packages Gessoria builds with, when any is missing; with --tests also
# those only the test suite needs. Runs apt-get as root directly, or through sudo for a
# normal user.
set -euo pipefail

packages=(cmake ninja-build g++ clang qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libstb-dev
          qt6-qpa-plugins xvfb xdotool
          googletest libgtest-dev libbenchmark-dev lib3ds-dev
          libegl-dev libopengl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
          dpkg-dev file desktop-file-utils appstream)
# libassimp-dev reads and writes models of other programs (OBJ, glTF, FBX, Collada, PLY, STL).
packages+=(libassimp-dev)
# libspnav-dev lets the desktop program read six-axis controllers (3D mice) through the
# spacenavd daemon.
packages+=(libspnav-dev)
# xvfb and xdotool run the desktop program's end-to-end test; clang is for the fuzz
# targets; lib3ds-dev only for the reference benchmark; the EGL and OpenGL packages
# (with Mesa's llvmpipe) only for the llvmpipe anchor benchmark. dpkg-dev (dpkg-shlibdeps)
# and file let CPack build the Debian package and compute its Depends; desktop-file-utils
# and appstream validate its desktop entry and metainfo in the packaging test.

# Test suite only: Blender runs the link's add-on in the end-to-end test of the live link
# (the host side lives inside it); its Python needs numpy, which Debian's Blender leaves out.
if [ "${1:-}" = --tests ]; then
  packages+=(blender python3-numpy)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
