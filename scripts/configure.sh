#!/usr/bin/env bash
# configure.sh BUILD_DIR [cmake options...]: configures a build folder once, then reuses it.
set -euo pipefail
dir=$1
shift
if [[ ! -f "$dir/build.ninja" ]]; then
    cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "$@" >/dev/null
fi
