#!/usr/bin/env bash
# Pictures of the Windows build: builds it (scripts/test-windows.sh
# --no-test), then runs its screenshot tool under Wine on a virtual display
# (Xvfb) with Qt's Windows platform, so the pictures show the Windows style
# and Wine's Windows fonts (Tahoma, which Windows has too).
# Usage: scripts/windows/screenshots.sh [NAME...]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
source scripts/windows/build-steps.sh
choose_places
install_packages xvfb x11-utils

scripts/test-windows.sh --no-test >&2

names=("$@")
[ ${#names[@]} -eq 0 ] && names=(main-window scan-progress results-messages export-finished)

trap 'end_run $?' EXIT
start_display
start_wine "$build_dir/wine"
unset WINEQT_QPA_FONTDIR
mkdir -p docs/screenshots/Windows
TZ=UTC wine "$build_dir/bin/orvelle-gui-screenshots.exe" \
  "$root/docs/screenshots/Windows" --language=English "${names[@]}"
