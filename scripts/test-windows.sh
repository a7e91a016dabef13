#!/usr/bin/env bash
# Cross-builds Orvelle for 64-bit Windows with Debian's mingw-w64 toolchain:
# the command line, the decryption program and the desktop program, and runs
# every test under Wine.
#
# 1. Installs what is missing: the mingw-w64 cross compiler, Wine, CMake,
#    Debian's Qt 6 (its moc, rcc and uic serve the cross build), ...
# 2. Builds the dependencies from Debian's source packages once into a cache
#    outside the clone (scripts/windows/build-steps.sh says where; one recipe
#    each in scripts/windows/). Each has a stamp there: a later run, from
#    any clone, reuses it.
# 3. Configures this tree into build-windows/ with cmake/mingw-w64.cmake,
#    builds, and runs ctest under Wine.
#
# Usage: scripts/test-windows.sh [--deps-only | --configure-only | --no-test]
#                                [extra cmake -D options...]
# Environment:
#   ORVELLE_WINDOWS_BUILD_DIR  build folder          (default build-windows)
#   ORVELLE_WINDOWS_CACHE      dependency cache      (default ~/.cache/orvelle/windows)
#   ORVELLE_WINDOWS_DEPS       dependency prefix     (default inside the cache)
#   ORVELLE_WINDOWS_BUILD_TYPE CMAKE_BUILD_TYPE      (default Release)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/windows/build-steps.sh

stop_after=""
cmake_args=()
for arg in "$@"; do
  case "$arg" in
    --deps-only) stop_after=deps ;;
    --configure-only) stop_after=configure ;;
    --no-test) stop_after=build ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) cmake_args+=("$arg") ;;
  esac
done

choose_places
trap 'end_run $?' EXIT
trap 'echo "!! ${BASH_SOURCE[0]}:$LINENO: command failed: $BASH_COMMAND" >&2' ERR

phase "packages"
install_packages "${windows_packages[@]}"
choose_prefix

for dependency in "${windows_dependencies[@]}"; do
  build_dependency "$dependency"
done
forget_source_lists
[ "$stop_after" = deps ] && exit 0

# Test discovery runs the test programs under Wine during the build, so the
# Wine prefix is set up first.
phase "wine prefix"
start_wine "$build_dir/wine"

phase "configure"
configure_orvelle "$build_dir" "${cmake_args[@]}"
[ "$stop_after" = configure ] && exit 0

phase "build"
cmake --build "$build_dir" -j "$jobs"
[ "$stop_after" = build ] && exit 0

phase "test (Wine)"
echo "   (benchmarks and fuzz targets are Linux-only by design)"
ctest --test-dir "$build_dir" -j "$jobs" --output-on-failure --timeout 600
