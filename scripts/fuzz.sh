#!/usr/bin/env bash
# Builds the 3D Studio reader's libFuzzer target and runs it for a given time.
#   scripts/fuzz.sh [SECONDS] [JOBS]      (default 600 seconds, 1 job)
# Crashes are written to fuzz/findings/; the growing corpus lives in fuzz/corpus-work/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
jobs=${2:-1}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_3ds_reader

mkdir -p fuzz/corpus-work fuzz/findings
cp -n data/sample/*.3ds tests/data/multi/*.3ds fuzz/corpus/* fuzz/corpus-work/ 2>/dev/null || true
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
parallel=()
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
build/fuzz/fuzz/fuzz_3ds_reader fuzz/corpus-work \
  -dict=fuzz/3ds.dict -max_total_time="$seconds" -rss_limit_mb=4096 -max_len=262144 \
  -artifact_prefix=fuzz/findings/ -print_final_stats=1 "${parallel[@]}"
