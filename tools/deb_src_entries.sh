#!/usr/bin/env bash
# Prints the source-package entries that match the machine's own binary
# entries for one release: every enabled "deb" entry (deb822 stanza of a
# .sources file, or one-line entry of a .list file) whose suites name the
# release comes out as "deb-src" with the same archive, components, key and
# options, so that apt-get source uses whatever mirror the machine uses.
#   deb_src_entries.sh <release> <file>...
# Stanzas come out of .sources files and one-line entries out of .list files
# (and sources.list), each in its own format; nothing for a file without a
# matching entry.
set -euo pipefail
release=$1
shift

for file in "$@"; do
  [ -f "${file}" ] || continue
  case "${file}" in
    *.sources)
      awk -v release="${release}" '
        BEGIN { RS = ""; FS = "\n" }
        {
          types = ""; suited = 0; disabled = 0; kept = ""
          for (i = 1; i <= NF; i++) {
            line = $i
            if (line ~ /^#/) continue
            key = line; sub(/:.*/, "", key)
            value = line; sub(/^[^:]*:[ \t]*/, "", value)
            if (key == "Types") { types = " " value " " }
            else if (key == "Suites") { n = split(value, suites, /[ \t]+/); for (j = 1; j <= n; j++) if (suites[j] == release) suited = 1 }
            else if (key == "Enabled" && value == "no") { disabled = 1 }
            else { kept = kept line "\n" }
          }
          if (types ~ / deb / && suited && !disabled) printf "Types: deb-src\nSuites: %s\n%s\n", release, kept
        }' "${file}"
      ;;
    *.list | */sources.list)
      awk -v release="${release}" '
        $1 == "deb" {
          n = 2
          if ($2 ~ /^\[/) { while (n < NF && $n !~ /\]$/) n++; n++ }
          if ($(n + 1) == release) { sub(/^deb[ \t]/, "deb-src "); print }
        }' "${file}"
      ;;
  esac
done
