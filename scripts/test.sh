#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs the whole test suite
# headless. Ends with CTest's summary. With --sanitize, the same suite built
# with AddressSanitizer, UBSan and the leak checker, in build-sanitize (no
# benchmarks): what the plain build lets pass, such as a leak, fails there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=build
options=()
if [ "${1:-}" = --sanitize ]; then
    build=build-sanitize
    options=(-DMORVANE_SANITIZE=ON -DMORVANE_BUILD_BENCH=OFF)
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$build" && ctest --output-on-failure -j"$(nproc)"
