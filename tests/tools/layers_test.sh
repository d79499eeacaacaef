#!/usr/bin/env bash
# The layer check: the real tree passes; a tree whose files include upwards,
# sideways, or a platform header into the toolkit's core fails, naming each
# of those lines and none of the sound ones.
set -u
cmake_command=$1 script=$2 source_dir=$3 fixture=$4
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"${cmake_command}" -DKALO_SOURCE_DIR="${source_dir}" -P "${script}" || fail "the real tree does not pass"

output=$("${cmake_command}" -DKALO_SOURCE_DIR="${fixture}" -P "${script}" 2>&1)
[ $? -ne 0 ] || fail "the fixture passed"
for expected in \
    "shell/upward.h includes app/kalo_base.h" \
    "engine/sideways.h includes remote/latest_config.h" \
    "ui/toolkit/native.h includes windows.h"; do
  grep -qF "${expected}" <<<"${output}" || fail "not reported: ${expected}"
done
for sound in "shell/log.h" "shell/json.h" "app/downward.h"; do
  grep -qF "includes ${sound}" <<<"${output}" && fail "reported although sound: ${sound}"
  grep -qF "${sound} includes" <<<"${output}" && fail "reported although sound: ${sound}"
done
[ ${failed} -eq 0 ] || echo "${output}"
exit ${failed}
