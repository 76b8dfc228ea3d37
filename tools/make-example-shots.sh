#!/usr/bin/env bash
# Builds the examples and runs each windowed one for a few frames under a
# virtual X server, saving its last frame as examples/shots/<name>.png for
# examples/README.md. The input example gets typed keys and mouse clicks.
#   tools/make-example-shots.sh [build dir] [example ...]
# (default build/dev and every example below; name examples to remake only
# their pictures)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/dev}"
[ $# -gt 0 ] && shift
# name:frames; enough frames for the moving parts to have moved.
examples=(shapes:30 sprites:30 text:30 outline_text:30 input:180 gamepad:30 timer:100 collide:80 run_command:150 shader:40 render_image:60)
if [ $# -gt 0 ]; then
  chosen=()
  for name in "$@"; do
    found=""
    for entry in "${examples[@]}"; do [ "${entry%%:*}" = "$name" ] && found="$entry"; done
    [ -n "$found" ] || { echo "no windowed example named $name" >&2; exit 2; }
    chosen+=("$found")
  done
  examples=("${chosen[@]}")
fi

if [ -z "${INSIDE_XVFB:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  targets=()
  for entry in "${examples[@]}"; do targets+=(--target "example_${entry%%:*}"); done
  cmake --build "$build" -j2 "${targets[@]}" >/dev/null
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$build" "${examples[@]%%:*}"
fi
build="$(cd "$build" && pwd)"
shots="$root/examples/shots"
mkdir -p "$shots"

# Types, clicks and holds keys while the input example runs, so that its
# picture shows something.
play_input() {
  for _ in $(seq 50); do
    xdotool search --name 'example: input$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.3
  xdotool mousemove 420 300
  xdotool type --delay 30 'Hello, polled input!'
  xdotool click 1 click 3 click 4 click 4
  xdotool keydown Up keydown shift mousedown 1
}

for entry in "${examples[@]}"; do
  name=${entry%%:*}
  frames=${entry##*:}
  "$build/examples/example_$name" --frames "$frames" --shot "$shots/$name.png" &
  pid=$!
  [ "$name" = input ] && play_input
  wait $pid
  [ "$name" = input ] && xdotool keyup Up keyup shift mouseup 1
  # pngfix (from libpng's tools) tries smaller deflate windows; keep its file
  # only when it is smaller.
  if command -v pngfix >/dev/null; then
    pngfix --quiet --optimize --out="$shots/$name.tmp.png" "$shots/$name.png" >/dev/null || true
    if [ -f "$shots/$name.tmp.png" ] &&
      [ "$(stat -c %s "$shots/$name.tmp.png")" -lt "$(stat -c %s "$shots/$name.png")" ]; then
      mv "$shots/$name.tmp.png" "$shots/$name.png"
    fi
    rm -f "$shots/$name.tmp.png"
  fi
  echo "wrote examples/shots/$name.png ($(stat -c %s "$shots/$name.png") bytes)"
done
