#!/usr/bin/env bash
# Builds the program and runs it on its built-in simulated instruments. Without a display it
# runs headless and prints the program log; Ctrl-C closes it the orderly way.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zenkar-pro
mkdir -p build/run
args=(--simulate --base-dir build/run)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running headless, the program log follows (Ctrl-C ends)."
  args+=(--headless)
fi
exec ./build/app/zenkar-pro "${args[@]}" "$@"
