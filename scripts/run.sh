#!/usr/bin/env bash
# Builds QKDriver and starts it. Arguments are passed on (for example -d for the file log).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${QK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target QKDriver
exec "$build/bin/QKDriver" "$@"
