#!/usr/bin/env bash
# Builds one libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for a while over a copy of its
# committed seeds:
#   tools/fuzz.sh <target> [seconds] [build dir]   (default 600, build/fuzz)
# Targets: fuzz_image_{tga,png,jpg,bmp,url}, fuzz_font, fuzz_audio_{wav,ogg,url},
# fuzz_data_stream, fuzz_gnet. The font target also gets the installed DejaVu fonts
# (Debian's fonts-dejavu-core) and short prefixes of them, made at run time.
# Findings go to <build dir>/<target>-findings/; copy a small one into the
# target's seed folder so that the tests replay it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:?usage: tools/fuzz.sh <target> [seconds] [build dir]}"
seconds="${2:-600}"
build="${3:-$root/build/fuzz}"

max_len=65536
case "$target" in
  fuzz_image_*) seeds="$root/tests/image/corpus" ;;
  fuzz_font) seeds="$root/tests/image/font_corpus" max_len=1048576 ;;
  fuzz_audio_*) seeds="$root/tests/audio/corpus" ;;
  fuzz_data_stream) seeds="$root/tests/stream/corpus" ;;
  fuzz_gnet) seeds="$root/tests/net/corpus" ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac

[ -f "$build/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVTL_FUZZ=ON -DVTL_SANITIZE=ON >/dev/null
cmake --build "$build" -j2 --target "$target" >/dev/null
program=$(find "$build/tests" -type f -name "$target" -perm -u+x | head -n 1)

corpus="$build/$target-corpus"
findings="$build/$target-findings"
mkdir -p "$corpus" "$findings"
cp "$seeds"/* "$corpus"/
if [ "$target" = fuzz_font ]; then
  for font in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf; do
    name=$(basename "$font" .ttf)
    cp "$font" "$corpus/$name.ttf"
    head -c 2048 "$font" >"$corpus/$name-head.bin"
    head -c 65536 "$font" >"$corpus/$name-64k.bin"
  done
fi

export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp"
"$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -max_len="$max_len" -artifact_prefix="$findings/" -print_final_stats=1 "$corpus"
