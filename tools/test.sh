#!/usr/bin/env bash
# Sets up, builds and runs every test: the debug build, a replay of the saved
# fuzz corpora and a short fuzz run of every reader that takes outside input,
# and the same tests under the address and undefined-behaviour sanitizers, and
# then the Debian package from the release build, installed, run and purged
# (tools/package_test.sh). Run as root on a fresh machine (it installs the
# build dependencies).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)
build_and_test() {
  echo "== $1: configure and build"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "${jobs}"
  echo "== $1: test"
  ctest --preset "$1" -j "${jobs}"
}

build_and_test debug
echo "== fuzz: replay the saved corpora, then 10 seconds per target"
bash tools/fuzz.sh 10
build_and_test asan
echo "== package: build, install, run, validate and purge the Debian package"
bash tools/package_test.sh
