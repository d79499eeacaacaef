#!/usr/bin/env bash
# Builds the Debian package from the release build and tries it the way a
# user gets it: install with apt, run the terminal check and the window once,
# validate the installed desktop files, purge, and make sure nothing of ours
# is left below /usr. Run as root (it installs and removes the package); the
# programs run with a temporary home, so root's own folders stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
jobs=${KALO_JOBS:-$(nproc)}
title="KALO computer configuration detection tool"
fail() { echo "package test: $*" >&2; exit 1; }

scratch=$(mktemp -d /tmp/kalo-package-test.XXXXXX)
xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "${program_pid}" ] && kill "${program_pid}" 2>/dev/null || true
  [ -n "${xvfb_pid}" ] && kill "${xvfb_pid}" 2>/dev/null || true
  rm -rf "${scratch}"
}
trap cleanup EXIT

echo "== release: configure and build"
cmake --preset release >/dev/null
cmake --build --preset release -j "${jobs}"

echo "== package"
rm -f build/release/kalofitprobe_*.deb
(cd build/release && cpack -G DEB >/dev/null)
debs=(build/release/kalofitprobe_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one kalofitprobe_<version>_<arch>.deb, found: ${debs[*]}"
deb=${debs[0]}
echo "${deb}: $(du -k "${deb}" | cut -f1) KiB"
dpkg-deb --field "${deb}" Package Version Architecture Depends

# A clean start: an earlier run that stopped half-way may have left it.
if dpkg-query -W -f='${Status}' kalofitprobe 2>/dev/null | grep -q "ok installed"; then
  apt-get purge -y -qq kalofitprobe >/dev/null
fi

echo "== install"
# What is there before, so that a folder the package shares with others
# (/usr/bin, the icon theme) is not taken for ours afterwards.
dpkg-deb --contents "${deb}" | awk '{print $NF}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort -u \
  > "${scratch}/package_paths"
while read -r path; do [ -e "${path}" ] && echo "${path}"; done < "${scratch}/package_paths" \
  > "${scratch}/present_before" || true
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./${deb}" >/dev/null
dpkg -L kalofitprobe > "${scratch}/installed"

export HOME="${scratch}/home"
export XDG_DATA_HOME="${scratch}/data"
export XDG_CONFIG_HOME="${scratch}/config"
export XDG_RUNTIME_DIR="${scratch}/runtime"
mkdir -p "${HOME}" && mkdir -m 0700 "${XDG_RUNTIME_DIR}"

echo "== terminal check"
status=0
/usr/bin/kalofitprobe-cli --json --no-download > "${scratch}/check.json" 2> "${scratch}/check.err" || status=$?
[ "${status}" -eq 0 ] || { cat "${scratch}/check.err" >&2; fail "kalofitprobe-cli exited ${status}"; }
python3 - "${scratch}/check.json" <<'PY' || fail "kalofitprobe-cli printed no JSON object with a headline"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
assert isinstance(report, dict) and report.get("headline"), report
print("headline:", report["headline"])
PY

echo "== window on Xvfb"
display=""
for n in $(seq 91 120); do
  if [ ! -e "/tmp/.X11-unix/X${n}" ] && [ ! -e "/tmp/.X${n}-lock" ]; then display=${n}; break; fi
done
[ -n "${display}" ] || fail "no free X display number"
Xvfb ":${display}" -noreset -screen 0 1280x1024x24 >"${scratch}/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display}" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X${display}" ] || fail "Xvfb :${display} did not start"
export DISPLAY=":${display}"
/usr/bin/kalofitprobe >"${scratch}/window.log" 2>&1 &
program_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name "${title}" | head -n 1) || true
[ -n "${window}" ] || { cat "${scratch}/window.log" >&2; fail "no window \"${title}\" within 30 s"; }
kill -0 "${program_pid}" 2>/dev/null || fail "the window program ended on its own"
# Without a window manager nothing turns Alt+F4 into a close request; the
# key is sent all the same, and a program still running is then stopped.
xdotool key --window "${window}" alt+F4 2>/dev/null || true
for _ in $(seq 20); do kill -0 "${program_pid}" 2>/dev/null || break; sleep 0.1; done
kill -TERM "${program_pid}" 2>/dev/null || true
status=0
wait "${program_pid}" || status=$?
program_pid=""
# 0: closed; 143: ended by SIGTERM. Anything else is a crash or a failure.
[ "${status}" -eq 0 ] || [ "${status}" -eq 143 ] || { cat "${scratch}/window.log" >&2; fail "kalofitprobe exited ${status}"; }
echo "window ${window} shown and closed (exit ${status})"
kill "${xvfb_pid}" 2>/dev/null || true
wait "${xvfb_pid}" 2>/dev/null || true
xvfb_pid=""
# An installed program keeps its settings in the user's folder, never beside itself.
[ ! -e /usr/bin/config ] || fail "/usr/bin/config was created"

echo "== installed files"
desktop-file-validate /usr/share/applications/kalofitprobe.desktop
appstreamcli validate --no-net /usr/share/metainfo/example.kalo.KALOFitProbe.metainfo.xml
man_warnings=$(MANWIDTH=80 man --warnings -l /usr/share/man/man1/kalofitprobe-cli.1.gz 2>&1 >/dev/null)
[ -z "${man_warnings}" ] || fail "the manual page renders with warnings: ${man_warnings}"
for size in 16 24 32 48 64 128 256; do
  [ -s "/usr/share/icons/hicolor/${size}x${size}/apps/kalofitprobe.png" ] || fail "no ${size} px icon"
done
mkdir -p build/release/screenshots
cp /usr/share/icons/hicolor/48x48/apps/kalofitprobe.png build/release/screenshots/icon_48.png
cp /usr/share/icons/hicolor/256x256/apps/kalofitprobe.png build/release/screenshots/icon_256.png

echo "== purge"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq kalofitprobe >/dev/null
! dpkg-query -W -f='${Status}' kalofitprobe 2>/dev/null | grep -q "ok installed" || fail "still installed"
leftovers=$(while read -r path; do
              [ -e "${path}" ] && ! grep -qxF "${path}" "${scratch}/present_before" && echo "${path}"
            done < <(grep -vx '/\.' "${scratch}/installed") || true)
leftovers+=$(find /usr /etc -iname '*kalofitprobe*' 2>/dev/null || true)
[ -z "${leftovers}" ] || fail "left behind after purge: ${leftovers}"

echo "== package test passed in $(( $(date +%s) - started )) s"
