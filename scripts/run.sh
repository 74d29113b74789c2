#!/usr/bin/env bash
# Set up this machine, build, and start vesk on its embedded SQLite database.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages "${VESK_PACKAGES[@]}"
build_vesk
deliver_files
cd "$VESK_BIN"
exec ./vesk "$@"
