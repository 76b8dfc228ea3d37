#!/usr/bin/env bash
# Builds the object-stream fuzz target with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs it for a while over a copy of the
# committed seeds of tests/stream/corpus.
#   tools/fuzz-data-stream.sh [seconds] [build dir]   (default 600, build/fuzz)
# Findings are written to <build dir>/data-findings/; copy a small one into
# tests/stream/corpus so that the tests replay it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
build="${2:-$root/build/fuzz}"

[ -f "$build/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTL_FUZZ=ON -DVTL_SANITIZE=ON >/dev/null
cmake --build "$build" -j2 --target fuzz_data_stream >/dev/null

corpus="$build/data-corpus"
findings="$build/data-findings"
mkdir -p "$corpus" "$findings"
cp "$root"/tests/stream/corpus/* "$corpus"/

export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp"
"$build/tests/stream/fuzz_data_stream" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 "$corpus"
