#!/usr/bin/env bash
# The main job. With arguments they are passed to `orvelle`; without, the demo
# backups are generated (deterministically) and Orvelle is run on them: the
# desktop program when a display is available, else the command-line demo
# (ORVELLE_DEMO=cli asks for the command-line demo on a display too).
#
# It installs and builds only what the programs need (the test command does the
# rest). Paths given as arguments are taken from the folder you are in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --programs >&2
bin="${ORVELLE_BUILD_DIR:-build}/bin"
case "$bin" in /*) ;; *) bin="$root/$bin" ;; esac
if [ $# -gt 0 ]; then
  exec "$bin/orvelle" "$@"
fi
cd "$root"
demo="demo/backup"
rm -rf demo
"$bin/orvelle-make-demo" "$demo" >/dev/null
if [ -z "${CI:-}" ] && [ "${ORVELLE_DEMO:-}" != "cli" ] && [ -x "$bin/orvelle-gui" ] \
   && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  "$bin/orvelle-make-demo" --encrypted "$demo" >/dev/null
  echo "Starting the desktop program on the demo backups in $(pwd)/$demo"
  echo "(the encrypted one has the password orvelle-demo)."
  echo "For the command-line demo instead: ORVELLE_DEMO=cli scripts/run.sh"
  ORVELLE_BACKUP_ROOT="$(pwd)/$demo" exec "$bin/orvelle-gui"
fi
echo "(No display: running the command-line demo. With a display, scripts/run.sh starts the desktop program.)"
encrypted=$("$bin/orvelle-make-demo" --encrypted demo/encrypted)
echo "== Backups under $demo"
ORVELLE_BACKUP_ROOT="$demo" "$bin/orvelle" list
for folder in "$demo"/*/; do
  echo
  echo "== Media files of ${folder%/}"
  "$bin/orvelle" files "${folder%/}"
done
echo
echo "== Scan of the recent demo backup (every category)"
"$bin/orvelle" scan "$demo/00008110-001A2B3C4D5E801E"
echo
echo "== Media files of the encrypted backup ${encrypted} (demo password: orvelle-demo)"
echo "(Part of the demo: its manifest lists a photo, IMG_0006.HEIC, whose stored file is missing, so"
echo " the decryption reports one file \"Skipped\" below. A real backup with such a gap is reported the same way.)"
echo orvelle-demo | "$bin/orvelle" files --password-stdin "$encrypted"
echo
echo "== Scan of the encrypted backup (every category)"
echo orvelle-demo | "$bin/orvelle" scan --password-stdin "$encrypted"
echo
echo "== Export of the recent demo backup (every item) to demo/export"
"$bin/orvelle" export "$demo/00008110-001A2B3C4D5E801E" demo/export
echo "Documents (open the .html files in a browser):"
(cd demo/export && find . -type f \( -name '*.html' -o -name '*.csv' -o -name '*.txt' \) | LC_ALL=C sort | sed 's|^\./|  |')
echo "Exported files are in $(pwd)/demo/export"
