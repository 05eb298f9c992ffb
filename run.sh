#!/usr/bin/env bash
# ./run.sh            installs what is missing, builds, starts Quiravel
# ./run.sh ARGS...    the same, then runs quiravel-cli ARGS...
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh >&2
scripts/configure.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 2 >&2 || cmake --build build --parallel 1 >&2
if (($# > 0)); then
    exec build/quiravel-cli "$@"
fi
if [[ -x build/quiravel ]]; then
    exec build/quiravel
fi
exec build/quiravel-cli --help
