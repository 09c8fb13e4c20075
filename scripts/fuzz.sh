#!/usr/bin/env bash
# Builds one libFuzzer target and runs it for a given time.
#   scripts/fuzz.sh [TARGET] [SECONDS] [JOBS] [MAX_LEN]
# TARGET: 3ds (the 3D Studio reader, the default), profile (initialisation files: the brush
# and paint libraries and the preferences) or image (image files through LoadImageFile, as
# 8-bit layers and as brush heads), project (the project reader, layer images left out) or
# clipboard (the private floater block and the bitmap block a paste decodes), model (models
# of other programs through assimp's readers; the first byte of an input picks the format).
# Defaults: 600 seconds, 1 job, inputs up to 4 MiB.
# Crashes are written to fuzz/findings/<target>/; the growing corpus lives in
# fuzz/corpus-work/<target>/, seeded from fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
target=3ds
case "${1:-}" in
  3ds|profile|image|project|clipboard|model) target=$1; shift ;;
esac
seconds=${1:-600}
jobs=${2:-1}
max_len=${3:-4194304}
case "$target" in
  # Whole scenes are large: the 3D Studio target mutates up to the length limit from the start
  # instead of growing its inputs slowly, which would take hours to reach megabytes.
  3ds) binary=fuzz_3ds_reader; options=(-dict=fuzz/3ds.dict -len_control=0); seeds=(data/sample/*.3ds tests/data/multi/*.3ds) ;;
  profile) binary=fuzz_profile_reader; options=(-dict=fuzz/profile.dict); seeds=(data/*.Dat) ;;
  image) binary=fuzz_image_loading; options=(); seeds=() ;;
  project) binary=fuzz_project_reader; options=(-dict=fuzz/project.dict); seeds=() ;;
  clipboard) binary=fuzz_clipboard; options=(); seeds=() ;;
  model) binary=fuzz_model_reader; options=(); seeds=() ;;
  hostblock) binary=fuzz_host_scene_block; options=(); seeds=() ;;
esac
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$binary"

work=fuzz/corpus-work/$target
findings=fuzz/findings/$target
mkdir -p "$work" "$findings"
cp -n "${seeds[@]}" fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
# assimp leaks on some of the malformed files it refuses; that is the library's, not ours, and
# would stop the model target at once.
leaks=1
[ "$target" = model ] && leaks=0
export ASAN_OPTIONS=detect_leaks=$leaks:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
parallel=()
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
build/fuzz/fuzz/"$binary" "$work" "${options[@]}" -max_total_time="$seconds" -rss_limit_mb=4096 \
  -max_len="$max_len" -timeout=120 -artifact_prefix="$findings"/ -print_final_stats=1 "${parallel[@]}"
