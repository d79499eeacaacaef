#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers that take outside input with
# clang (address and undefined-behaviour sanitizers), replays each over its
# saved corpus (tests/fuzz/corpus/<target>/: seeds and minimized findings)
# and the generated seeds (shipped language files, rule set, a few archives),
# then runs each for a while (default 20 seconds per target; first argument
# overrides) from a scratch copy of those. Crashes are kept in
# build/fuzz/artifacts. Exits non-zero when a replay or a run crashes.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
build=build/fuzz
targets="zip_archive_fuzz lang_pack_fuzz rule_set_fuzz ini_text_fuzz key_values_fuzz service_answer_fuzz layout_builder_fuzz"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DKALO_BUILD_TESTS=ON -DKALO_BUILD_BENCHMARKS=OFF -DKALO_BUILD_FUZZERS=ON >/dev/null
# shellcheck disable=SC2086  # one word per target
cmake --build "$build" -j "$(nproc)" --target $targets

corpus="$build/corpus"
rm -rf "$corpus"
mkdir -p "$build/artifacts"
for target in $targets; do
  mkdir -p "$corpus/$target"
  if [ -d "tests/fuzz/corpus/$target" ]; then cp tests/fuzz/corpus/"$target"/* "$corpus/$target/"; fi
done

# Rule-set and answer seeds: the shipped rule set.
cp resources/checkerconfig.json "$corpus/rule_set_fuzz/shipped.json"
cp resources/checkerconfig.json "$corpus/service_answer_fuzz/shipped.json"

# Pack seeds: the shipped index and packs.
cp resources/lang/defaultlangconfig.json "$corpus/lang_pack_fuzz/"
for pack in resources/lang/*/fitprobe/KALOFitProbe.lang; do
  code=$(basename "$(dirname "$(dirname "$pack")")")
  cp "$pack" "$corpus/lang_pack_fuzz/$code.lang"
done

# Layout seeds: the shipped layout files.
cp resources/skin/*.xml "$corpus/layout_builder_fuzz/"

# Archive seeds: the shipped archive, and small stored, deflated and hostile ones.
python3 tools/make_zip.py --suffix .json --suffix .lang "$corpus/zip_archive_fuzz/shipped.zip" resources/lang
python3 - "$corpus/zip_archive_fuzz" <<'PY'
import os, sys, zipfile
out = sys.argv[1]
def make(name, members, method):
    with zipfile.ZipFile(os.path.join(out, name), "w", method) as archive:
        for entry, data in members:
            archive.writestr(zipfile.ZipInfo(entry, (2024, 1, 1, 0, 0, 0)), data, method)
make("stored.zip", [("a/", b""), ("a/b.txt", b"stored text")], zipfile.ZIP_STORED)
make("deflated.zip", [("defaultlangconfig.json", b'{"lang": {"en": {"rank": 1}}}')], zipfile.ZIP_DEFLATED)
make("hostile.zip", [("../x", b"x"), ("a/../../y", b"y"), ("/etc/z", b"z"), ("C:\\w", b"w")], zipfile.ZIP_DEFLATED)
PY

# Replay: every seed once, in a fixed order, before any fuzzing.
status=0
for target in $targets; do
  count=$(find "$corpus/$target" -type f | wc -l)
  if find "$corpus/$target" -type f -print0 | sort -z |
       xargs -0 -r "$build/tests/fuzz/$target" >"$build/$target.replay.log" 2>&1; then
    echo "== $target: replayed $count inputs"
  else
    status=1
    echo "== $target: replay crashed"
    tail -40 "$build/$target.replay.log"
  fi
done
[ "$status" -eq 0 ] || exit "$status"

# Fuzzing, from the scratch corpus (new inputs land there, not in the saved
# one) with the target's dictionary of tokens where it has one.
for target in $targets; do
  echo "== $target: ${seconds}s"
  dict=()
  if [ -f "tests/fuzz/$target.dict" ]; then dict=(-dict="tests/fuzz/$target.dict"); fi
  if ! "$build/tests/fuzz/$target" "$corpus/$target" "${dict[@]}" -max_total_time="$seconds" -max_len=65536 \
       -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 2>"$build/$target.log"; then
    status=1
    tail -40 "$build/$target.log"
  else
    grep -E "stat::number_of_executed_units|Done" "$build/$target.log" | tail -2
  fi
done
exit $status
