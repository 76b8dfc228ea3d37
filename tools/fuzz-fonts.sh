#!/usr/bin/env bash
# Builds the outline font fuzz target with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs it for a while over a corpus made
# at run time: the committed seeds of tests/image/font_corpus, the installed
# DejaVu fonts (Debian's fonts-dejavu-core) and short prefixes of them.
#   tools/fuzz-fonts.sh [seconds] [build dir]   (default 600, build/fuzz)
# Findings are written to <build dir>/font-findings/; copy a small one into
# tests/image/font_corpus so that the tests replay it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
build="${2:-$root/build/fuzz}"

[ -f "$build/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTL_FUZZ=ON -DVTL_SANITIZE=ON >/dev/null
cmake --build "$build" -j2 --target fuzz_font >/dev/null

corpus="$build/font-corpus"
findings="$build/font-findings"
mkdir -p "$corpus" "$findings"
cp "$root"/tests/image/font_corpus/* "$corpus"/
for font in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf; do
  name=$(basename "$font" .ttf)
  cp "$font" "$corpus/$name.ttf"
  head -c 2048 "$font" >"$corpus/$name-head.bin"
  head -c 65536 "$font" >"$corpus/$name-64k.bin"
done

export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp"
"$build/tests/image/fuzz_font" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -max_len=1048576 -artifact_prefix="$findings/" -print_final_stats=1 "$corpus"
