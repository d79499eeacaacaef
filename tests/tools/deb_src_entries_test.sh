#!/usr/bin/env bash
# deb_src_entries.sh over a fixture apt configuration: the enabled entries of
# the release (not its -updates or -security suites, not another archive's,
# not a disabled or commented one) come out as deb-src, mirror, components,
# key and options kept.
set -u
script=$1 fixture=$2
failed=0
expect() {
  if [ "$2" != "$3" ]; then
    printf 'FAIL: %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
    failed=1
  fi
}

expect "stanzas" "Types: deb-src
Suites: bookworm
URIs: http://mirror.example/debian
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" \
  "$(bash "${script}" bookworm "${fixture}"/sources.list.d/*.sources)"
expect "one-line entries" \
  "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg arch=amd64] http://list.example/debian bookworm main" \
  "$(bash "${script}" bookworm "${fixture}/sources.list")"
expect "another release" "" "$(bash "${script}" trixie "${fixture}"/sources.list.d/*.sources "${fixture}/sources.list")"
exit ${failed}
