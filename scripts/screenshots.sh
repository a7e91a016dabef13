#!/usr/bin/env bash
# Renders every window, page, dialog and message box of the desktop program,
# in every shipped language, to docs/screenshots/<language>/<name>.png.
# Usage: scripts/screenshots.sh [NAME...]   (names: only those pictures)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
bin="${ORVELLE_BUILD_DIR:-build}/bin"
mkdir -p docs/screenshots
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" TZ="${TZ:-UTC}" \
  "$bin/orvelle-gui-screenshots" "$(pwd)/docs/screenshots" "$@"
