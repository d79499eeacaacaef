#!/usr/bin/env bash
# Sets up, builds and runs the program (release build). Run as root on a fresh
# machine (it installs the build dependencies). Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
exec build/release/cli/kalofitprobe-cli "$@"
