#!/usr/bin/env bash
# Makes this machine able to build and run vesk, builds it, and puts the delivered
# database (data.mdb) and system.ini beside the executable when they are missing.
# Sourced by run.sh and test.sh; safe to run again: it only does what is missing.
set -euo pipefail

VESK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VESK_BUILD="${VESK_BUILD:-$VESK_ROOT/build}"
VESK_BIN="$VESK_BUILD/bin"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian packages: the toolchain, Qt 6 with its SQL drivers and its own translations (its buttons
# and dialogs in Chinese), libcrypto (password hashes), ICU (the pinyin initials of item names),
# the CJK fonts, poppler-utils (pdftotext), with which a test reads a printed receipt back, and
# the sqlite3 headers, with which the benches time the same statements without the data layer;
# dpkg-dev and file, with which cpack computes the Debian package's dependencies.
VESK_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libssl-dev libicu-dev
    libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc qt6-translations-l10n tdsodbc fonts-noto-cjk
    poppler-utils libsqlite3-dev dpkg-dev file)

install_packages() {
    local missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "== installing: ${missing[*]}"
        as_root apt-get update -q
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    fi
}

build_vesk() {
    if [ ! -f "$VESK_BUILD/build.ninja" ]; then
        cmake -S "$VESK_ROOT" -B "$VESK_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$VESK_BUILD" --parallel "$(nproc)"
}

# A Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, for the tests only: it
# finds use after free, overflows and undefined behaviour that the optimised build hides.
VESK_SANITIZED_BUILD="${VESK_SANITIZED_BUILD:-$VESK_ROOT/build-sanitized}"
build_vesk_sanitized() {
    if [ ! -f "$VESK_SANITIZED_BUILD/build.ninja" ]; then
        cmake -S "$VESK_ROOT" -B "$VESK_SANITIZED_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVESK_SANITIZE=ON
    fi
    cmake --build "$VESK_SANITIZED_BUILD" --parallel "$(nproc)"
}

deliver_files() {
    if [ ! -f "$VESK_BIN/system.ini" ]; then
        cp "$VESK_ROOT/src/data/system.ini" "$VESK_BIN/system.ini"
        echo "== delivered $VESK_BIN/system.ini"
    fi
    if [ ! -f "$VESK_BIN/data.mdb" ]; then
        "$VESK_BIN/vesk" --create-database "$VESK_BIN/data.mdb"
    fi
}
