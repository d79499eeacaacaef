#!/usr/bin/env bash
# Times the whole terminal check, process start to exit, without the
# configuration service: N runs (default 20) in a private data folder.
# Usage: bench/terminal_check.sh [path/to/kalofitprobe-cli] [runs]
set -euo pipefail
cli="${1:-build/release/bin/kalofitprobe-cli}"
runs="${2:-20}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch"

"$cli" --no-download --json >/dev/null  # first start unpacks into a fresh folder
start=$(date +%s%N)
for _ in $(seq "$runs"); do "$cli" --no-download --json >/dev/null; done
end=$(date +%s%N)
echo "terminal check (--no-download): $(( (end - start) / runs / 1000 )) us per run over $runs runs"
