#!/usr/bin/env bash
# Builds the libFuzzer targets of the language archive and document readers
# with clang (address and undefined-behaviour sanitizers), seeds each with
# the shipped language files and a few generated archives, and runs each for
# a while (default 20 seconds; first argument overrides). Crashes are kept in
# build/fuzz/artifacts. Exits non-zero when a target finds a crash.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
build=build/fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DKALO_BUILD_TESTS=ON -DKALO_BUILD_BENCHMARKS=OFF -DKALO_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" --target zip_archive_fuzz lang_pack_fuzz

corpus="$build/corpus"
rm -rf "$corpus"
mkdir -p "$corpus/zip_archive_fuzz" "$corpus/lang_pack_fuzz" "$build/artifacts"

# Pack seeds: the shipped index and packs.
cp resources/lang/defaultlangconfig.json "$corpus/lang_pack_fuzz/"
for pack in resources/lang/*/fitprobe/KALOFitProbe.lang; do
  code=$(basename "$(dirname "$(dirname "$pack")")")
  cp "$pack" "$corpus/lang_pack_fuzz/$code.lang"
done

# Archive seeds: the shipped archive, and small stored, deflated and hostile ones.
python3 tools/make_lang_zip.py resources/lang "$corpus/zip_archive_fuzz/shipped.zip"
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

status=0
for target in zip_archive_fuzz lang_pack_fuzz; do
  echo "== $target: ${seconds}s"
  if ! "$build/tests/fuzz/$target" "$corpus/$target" -max_total_time="$seconds" -max_len=65536 \
       -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 2>"$build/$target.log"; then
    status=1
    tail -40 "$build/$target.log"
  else
    grep -E "stat::number_of_executed_units|Done" "$build/$target.log" | tail -2
  fi
done
exit $status
