#!/usr/bin/env bash
# Sets up, builds and runs every test: the debug build, the same tests under
# the address and undefined-behaviour sanitizers, and a short fuzz run of the
# archive and language-pack readers. Run as root on a fresh machine (it
# installs the build dependencies).
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

echo "== fuzz: 10 seconds per target"
bash tools/fuzz.sh 10
