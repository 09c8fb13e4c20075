#!/usr/bin/env bash
# Builds a libFuzzer target and runs it for a given time.
#   scripts/fuzz.sh [SECONDS] [JOBS] [3ds|project]      (default 600 seconds, 1 job, 3ds)
# Crashes are written to fuzz/findings/; the growing corpus lives in fuzz/corpus-work/ (3D
# Studio reader) or fuzz/project-corpus-work/ (project reader).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
jobs=${2:-1}
which=${3:-3ds}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null

mkdir -p fuzz/findings
case "$which" in
  3ds)
    target=fuzz_3ds_reader; corpus=fuzz/corpus-work; dict=fuzz/3ds.dict; max_len=262144
    mkdir -p "$corpus"
    cp -n data/sample/*.3ds tests/data/multi/*.3ds fuzz/corpus/* "$corpus"/ 2>/dev/null || true ;;
  project)
    target=fuzz_project_reader; corpus=fuzz/project-corpus-work; dict=fuzz/project.dict; max_len=65536
    mkdir -p "$corpus"
    cp -n fuzz/project-corpus/* "$corpus"/ 2>/dev/null || true ;;
  *) echo "unknown target $which (3ds or project)" >&2; exit 2 ;;
esac
cmake --build --preset fuzz --target "$target"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
parallel=()
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
build/fuzz/fuzz/"$target" "$corpus" \
  -dict="$dict" -max_total_time="$seconds" -rss_limit_mb=4096 -max_len="$max_len" \
  -artifact_prefix=fuzz/findings/ -print_final_stats=1 "${parallel[@]}"
