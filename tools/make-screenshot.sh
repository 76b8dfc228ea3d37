#!/usr/bin/env bash
# Plays a few seconds of CryptVenture under a virtual X server and saves a
# screenshot of the game in play as docs/cryptventure.png.
#   tools/make-screenshot.sh [build dir]   (default build-release)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build-release}" && pwd)"
cmake --build "$build" --target cryptventure cryptventure_shot >/dev/null

if [ -z "${INSIDE_XVFB:-}" ]; then
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$build"
fi

game="$build/game/cryptventure"
"$game" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  xdotool search --name '^CryptVenture$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 1
xdotool key shift
sleep 0.5
xdotool type --delay 40 'beschwoere daemon'
xdotool key Return
sleep 0.5
# Wait for the first attackers to walk in, then start typing a spell.
sleep 21
xdotool type --delay 40 'feuerball '
sleep 0.5
"$build/game/cryptventure_shot" CryptVenture "$root/docs/cryptventure.png"
xdotool key Escape
wait $pid
trap - EXIT
echo "wrote $root/docs/cryptventure.png"
