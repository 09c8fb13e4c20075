#!/bin/sh
# Times every special paint's dabs against the ordinary paint's, a flood fill of a whole
# 1024 x 1024 map and a 50-sided circle, in one run of gessoria-cli paint on the dense
# sample scene at 1920 x 1080, render level 4.
#
#   bench/paint_tools.sh [BUILD_DIR] [SCENE]   (SCENE defaults to $GESSORIA_DENSE_SCENE, then
#   the shared samples beside the checkout)
set -eu
build=${1:-build/default}
scene=${2:-${GESSORIA_DENSE_SCENE:-$(dirname "$0")/../../shared/samples/dense.3ds}}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
script="$work/tools.txt"

{
    # A paint layer on every material, so the paints that see through to the layer below can work.
    for m in 1 2 3 4 5 6 7 8; do echo "layer add $m colour"; done
    echo "foreground 0xFF3366CC"
    echo "background 0xFF808080"
    # Every paint: one stroke of 44 dabs along the same row across the four heads, so only the
    # paint differs. The ordinary paint goes first and last, so the indexes the first dab
    # builds weigh little.
    for n in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 1; do
        y=560
        printf 'special %d 128\nstroke' "$n"
        x=300
        while [ $x -lt 1620 ]; do printf ' %d,%d' $x $y; x=$((x + 30)); done
        printf '\n'
    done
    echo "special 1"
    # A flood from a transparent seed on a fresh paint layer covers the whole map.
    for m in 1 2 3 4 5 6 7 8; do echo "layer add $m colour"; done
    echo "tool fill"
    echo "fill-style flood"
    echo "stroke 700,560"
    echo "tool line"
    echo "line-type circle"
    echo "stroke 1160,560 1160,660"
} > "$script"

"$build/src/cli/gessoria-cli" paint "$scene" --script "$script" -o "$work/out.png" --size 1920x1080 --level 4 --time
