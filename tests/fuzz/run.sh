#!/usr/bin/env bash
# Runs every fuzz program in BIN (a VANTREL_FUZZ build's fuzz/ folder) over its seeds in
# tests/fuzz/corpus/<program>/. The seed folders are only read: what a run finds goes to a
# work folder, and a failing input to BIN/artifacts/.
#   run.sh BIN short   each for VANTREL_FUZZ_RUNS runs (default 20000), fixed seed: CI
#   run.sh BIN long    each for VANTREL_FUZZ_SECONDS seconds (default 60), keeping what it
#                      finds in BIN/found/<program>/ for the next long run
set -euo pipefail
bin=$(cd "$1" && pwd)
mode=$2
seeds=$(cd "$(dirname "$0")" && pwd)/corpus
mkdir -p "$bin/artifacts"
failed=0
for dir in "$seeds"/*/; do
    name=$(basename "$dir")
    args=(-max_len=4096 -artifact_prefix="$bin/artifacts/$name-" -print_final_stats=1)
    if [ "$mode" = short ]; then
        work=$(mktemp -d)
        args+=(-runs="${VANTREL_FUZZ_RUNS:-20000}" -seed=1)
    else
        work=$bin/found/$name
        mkdir -p "$work"
        args+=(-max_total_time="${VANTREL_FUZZ_SECONDS:-60}")
    fi
    log=$bin/$name.log
    if "$bin/$name" "${args[@]}" "$work" "$dir" >"$log" 2>&1; then
        echo "fuzz: $name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" |
                             grep -o '[0-9]*$') runs, no failure"
    else
        echo "fuzz: $name FAILED; its output ($log):"
        grep -v "^#" "$log" | tail -n 40
        failed=1
    fi
    if [ "$mode" = short ]; then rm -rf "$work"; fi
done
exit $failed
