#!/usr/bin/env bash
# fuzz.sh BUILD_DIR SECONDS: runs every fuzz target for SECONDS, seeded from fuzz/seeds/<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
seconds=$2
shopt -s nullglob
for target in "$dir"/fuzz_*; do
    [[ -x $target ]] || continue
    name=$(basename "$target")
    corpus="$dir/corpus/$name"
    mkdir -p "$corpus"
    seeds=()
    [[ -d "$root/fuzz/seeds/$name" ]] && seeds=("$root/fuzz/seeds/$name")
    echo "-- $name"
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=0 \
        "$corpus" "${seeds[@]}" >"$dir/$name.log" 2>&1 || { tail -40 "$dir/$name.log"; exit 1; }
    grep -E '^(#[0-9]+).*DONE' "$dir/$name.log" | tail -1 || true
done
