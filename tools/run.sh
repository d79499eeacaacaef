#!/usr/bin/env bash
# Sets up, builds and runs the program (release build). Run as root on a fresh
# machine (it installs the build dependencies). Without arguments it opens the
# window; without a display, or with arguments (e.g. `--json --lang de`), it
# runs the terminal check instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
if [ $# -eq 0 ]; then
  if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/release/bin/kalofitprobe
  fi
  echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset): running the terminal check instead" >&2
fi
exec build/release/bin/kalofitprobe-cli "$@"
