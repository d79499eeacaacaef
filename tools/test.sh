#!/usr/bin/env bash
# Sets up, builds and runs every test: the debug build, a replay of the saved
# fuzz corpora and a short fuzz run of every reader that takes outside input,
# and the same tests under the address and undefined-behaviour sanitizers, and
# then the Debian package from the release build, installed, run and purged
# (tools/package_test.sh), and last the Windows build (MinGW-w64) with its
# tests under Wine (tools/windows-deps.sh sets it up). Run as root on a fresh machine (it installs the
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
echo "== windows: cross-build with MinGW-w64, tests under Wine"
bash tools/windows-deps.sh
echo "== windows: configure and build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "${jobs}"
# The private Wine prefix is made once before the tests run in parallel, so
# that they do not all start making it at the same time. One Wine server runs
# for the whole test run, started just before it and before the prefix's own
# processes so that they live as long as it does: a server that ends between
# two tests as the next one connects fails that test ("recvmsg: Connection
# reset by peer"), and services started inside a test would hold the output
# ctest reads to its end.
mkdir -p build/windows/wineprefix
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$(readlink -f "${wine}")")/wineserver
export WINEDEBUG=-all WINEPREFIX="$PWD/build/windows/wineprefix"
"${wineserver}" -p
trap '"${wineserver}" -k || true' EXIT
"${wine}" wineboot -i >/dev/null 2>&1 || true
echo "== windows: test"
ctest --preset windows -j "${jobs}"
