#!/usr/bin/env bash
# Builds everything with warnings as errors and AddressSanitizer + UndefinedBehaviorSanitizer,
# then runs the whole test suite. Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${QK_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQK_WERROR=ON -DQK_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" "$@"
