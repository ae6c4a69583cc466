#!/usr/bin/env bash
# Builds everything and runs the whole test suite, then runs the engine tests (no window)
# once more in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

echo "== formatting"
bash scripts/check-format.sh

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
echo "== tests"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 300)

echo "== sanitizer build (engine tests)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZK_ENGINE_ONLY=ON -DZK_SANITIZE=ON -DZK_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" -L engine --timeout 300)
