#!/usr/bin/env bash
# Builds QKDriver and starts it. Arguments are passed on (for example -d for the file log);
# without arguments it starts with a simulated Falcon mouse (--simulate falcon).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${QK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target QKDriver qkdriverctl
if [ "$#" -eq 0 ]; then
  set -- --simulate falcon
fi
exec "$build/bin/QKDriver" "$@"
