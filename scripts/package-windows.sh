#!/usr/bin/env bash
# Makes build-windows/orvelle-windows-x64.zip: one folder, Orvelle/, with
# orvelle-gui.exe, orvelle.exe and orvelle-decrypt.exe (linked statically:
# Qt, its plugins and the C++ runtime are inside them), config.ini,
# Languages/, template/, help/, skin/ and README.txt. Nothing else needs to be
# installed on the PC.
#
# Builds what is missing first (the dependencies as scripts/test-windows.sh
# does), then checks the zip as a user would meet it: unpacked into a fresh
# folder, under Wine, the command line answers --version, orvelle-decrypt.exe
# --help, and the desktop program opens its window (on a virtual display)
# without writing anything beside itself.
#
# Usage: scripts/package-windows.sh [--no-check]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/windows/build-steps.sh

check=1
for arg in "$@"; do
  case "$arg" in
    --no-check) check="" ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
  esac
done

choose_places
staging=""
trap 'rc=$?; [ -n "$staging" ] && rm -rf "$staging"; end_run $rc' EXIT
trap 'echo "!! ${BASH_SOURCE[0]}:$LINENO: command failed: $BASH_COMMAND" >&2' ERR

phase "packages"
install_packages "${windows_packages[@]}" zip unzip xvfb x11-utils
choose_prefix
for dependency in "${windows_dependencies[@]}"; do
  build_dependency "$dependency"
done
forget_source_lists

phase "build"
[ -f "$build_dir/build.ninja" ] || configure_orvelle "$build_dir" -DORVELLE_BUILD_TESTS=OFF
cmake --build "$build_dir" -j "$jobs" --target orvelle orvelle-decrypt orvelle-gui

phase "zip"
staging=$(mktemp -d)
folder=$staging/Orvelle
mkdir -p "$folder"
install -m 755 "$build_dir"/bin/orvelle.exe "$build_dir"/bin/orvelle-decrypt.exe \
  "$build_dir"/bin/orvelle-gui.exe "$folder/"
$triple-strip "$folder"/*.exe   # symbols stay in build-windows/bin
install -m 644 config.ini "$folder/"
cp -r Languages template help skin "$folder/"
# Windows line ends, so that Notepad shows the lines apart.
sed 's/$/\r/' scripts/windows/README.txt >"$folder/README.txt"
zip_file=$build_dir/orvelle-windows-x64.zip
rm -f "$zip_file"
(cd "$staging" && zip -q -r -X "$zip_file" Orvelle)
echo "   $zip_file ($(du -h "$zip_file" | cut -f1))"
[ -z "$check" ] && exit 0

phase "check (Wine)"
# A fresh folder and a fresh Wine prefix: nothing of the build is found.
check_dir=$staging/check
mkdir -p "$check_dir"
(cd "$check_dir" && unzip -q "$zip_file")
# A virtual display for the desktop program.
start_display
start_wine "$staging/wine"
unset WINEQT_QPA_FONTDIR
program=$check_dir/Orvelle
version=$(wine "$program/orvelle.exe" --version 2>/dev/null | tr -d '\r')
echo "   orvelle.exe --version: $version"
[ -n "$version" ] || { echo "!! orvelle.exe did not answer --version" >&2; exit 1; }
wine "$program/orvelle-decrypt.exe" --help 2>/dev/null | grep -q "usage: orvelle-decrypt" || {
  echo "!! orvelle-decrypt.exe did not answer --help" >&2; exit 1; }
# The desktop program: its main window must appear.
before=$(find "$program" | sort)
wine "$program/orvelle-gui.exe" >/dev/null 2>&1 &
gui_pid=$!
window=""
for _ in $(seq 1 120); do
  sleep 1
  window=$(xwininfo -root -tree 2>/dev/null | grep -F 'Orvelle"' | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$gui_pid" 2>/dev/null || break
done
kill "$gui_pid" 2>/dev/null || true
stop_wine
[ -n "$window" ] || { echo "!! orvelle-gui.exe opened no window" >&2; exit 1; }
echo "   orvelle-gui.exe window:$window"
after=$(find "$program" | sort)
[ "$before" = "$after" ] || {
  echo "!! the program wrote beside itself:" >&2
  diff <(echo "$before") <(echo "$after") >&2 || true
  exit 1; }
echo "   nothing was written beside the program"
