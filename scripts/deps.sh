#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    libsqlite3-dev sqlite3 zlib1g-dev libminizip-dev libboost-locale-dev gettext
    qt6-base-dev libgl-dev googletest libgtest-dev libgmock-dev
    clang libclang-rt-14-dev
    libxml2-utils w3c-sgml-lib
    zip unzip
    tango-icon-theme
    mdbtools
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [[ $(id -u) -ne 0 ]] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
