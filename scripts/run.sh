#!/usr/bin/env bash
# Builds the program and runs it on its built-in simulated instruments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zenkar-demo
exec ./build/app/zenkar-demo "$@"
