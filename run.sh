#!/usr/bin/env bash
# Builds CryptVenture and starts it. As root it first installs the Debian
# packages the build needs; otherwise it reports any that are missing.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-deps.sh
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target cryptventure -j "$(nproc)"
exec "$build/game/cryptventure"
