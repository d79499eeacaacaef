#!/usr/bin/env bash
# Sets up, builds and runs every test: the debug build, then the same tests
# under the address and undefined-behaviour sanitizers. Run as root on a fresh
# machine (it installs the build dependencies).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)
for preset in debug asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}" -j "${jobs}"
  echo "== ${preset}: test"
  ctest --preset "${preset}" -j "${jobs}"
done
