#!/usr/bin/env bash
# Renders every window, page, dialog and message box of the desktop program,
# in every shipped language, to docs/screenshots/<language>/<name>.png.
# Usage: scripts/screenshots.sh [NAME...]   (names: only those pictures)
#        scripts/screenshots.sh --windows [NAME...]
#   --windows: the Windows build under Wine, on a virtual display with the
#   Windows platform and style, in English, to docs/screenshots/Windows/
#   (by default the main windows only).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --windows ]; then
  shift
  exec scripts/windows/screenshots.sh "$@"
fi
scripts/setup.sh >&2
bin="${ORVELLE_BUILD_DIR:-build}/bin"
mkdir -p docs/screenshots
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" TZ="${TZ:-UTC}" \
  "$bin/orvelle-gui-screenshots" "$(pwd)/docs/screenshots" "$@"
