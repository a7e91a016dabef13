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
build_dir=${ORVELLE_WINDOWS_BUILD_DIR:-build-windows}
build_dir=$(cd "$build_dir" && pwd)

names=("$@")
[ ${#names[@]} -eq 0 ] && names=(main-window scan-progress results-messages export-finished)

display_pid=""
cleanup() {
  stop_wine
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
}
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
display_pid=$!
export DISPLAY=$display
for _ in $(seq 1 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.2; done
start_wine "$build_dir/wine"
unset WINEQT_QPA_FONTDIR
mkdir -p docs/screenshots/Windows
TZ=UTC wine "$build_dir/bin/orvelle-gui-screenshots.exe" \
  "$root/docs/screenshots/Windows" --language=English "${names[@]}"
