#!/usr/bin/env bash
# Sets up the Windows build on Debian: the MinGW-w64 cross compiler, Wine to
# run the test programs, NSIS to make the setup program, zlib and libgcrypt
# built for MinGW, and the source
# packages of jsoncpp and pugixml, which Debian does not build for MinGW and
# which the windows preset therefore compiles itself (cmake/KaloDependencies.cmake).
# Idempotent: what is already there is left alone. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++-mingw-w64-x86-64-posix wine64 nsis
  libz-mingw-w64-dev libgcrypt-mingw-w64-dev
  googletest dpkg-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The source packages, unpacked once into build/third_party-src and kept
# between runs.
src=build/third_party-src
have_sources() {
  compgen -G "${src}/libjsoncpp-*/CMakeLists.txt" >/dev/null && compgen -G "${src}/pugixml-*/CMakeLists.txt" >/dev/null
}
if ! have_sources; then
  # apt-get source needs deb-src entries; an image may list binaries only.
  # They are made from the machine's own entries for its release (the same
  # mirror, components and key), so that apt sees one archive.
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    stanzas=$(bash tools/deb_src_entries.sh "${release}" /etc/apt/sources.list.d/*.sources)
    lines=$(bash tools/deb_src_entries.sh "${release}" /etc/apt/sources.list /etc/apt/sources.list.d/*.list)
    if [ -z "${stanzas}${lines}" ]; then
      echo "windows-deps: no apt entry names the release '${release}'; add a deb-src entry for it and run again" >&2
      exit 1
    fi
    [ -z "${stanzas}" ] || printf '%s\n' "${stanzas}" > /etc/apt/sources.list.d/kalo-deb-src.sources
    [ -z "${lines}" ] || printf '%s\n' "${lines}" > /etc/apt/sources.list.d/kalo-deb-src.list
    apt-get update -qq
  fi
  mkdir -p "${src}"
  (cd "${src}" && apt-get source -qq libjsoncpp pugixml >/dev/null)
fi
have_sources || { echo "windows-deps: the jsoncpp and pugixml sources are missing in ${src}" >&2; exit 1; }
