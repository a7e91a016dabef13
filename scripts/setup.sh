#!/usr/bin/env bash
# Installs what Orvelle needs from Debian's packages (only what is missing),
# then configures and builds it into build/.
# Usage: scripts/setup.sh [--programs] [extra cmake -D options...]
#   --programs  only what the programs need (the main job): no browser, no
#               fuzzing compiler, and only the programs are built, not the
#               tests, benchmarks and fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."

programs_only=""
if [ "${1:-}" = "--programs" ]; then
  programs_only=1
  shift
fi

packages=(
  g++ cmake ninja-build pkg-config
  libsqlite3-dev libssl-dev libplist-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libgl-dev
  libheif-dev mplayer fonts-noto-cjk fonts-dejavu-core
  zlib1g-dev libprotobuf-dev protobuf-compiler
)
# What only the tests need: the reference tools, the fuzzing compiler and the
# browser the export documents are checked in.
test_packages=(
  sqlite3 openssl libplist-utils
  clang libclang-rt-14-dev
  chromium poppler-utils
)
[ -z "$programs_only" ] && packages+=("${test_packages[@]}")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir="${ORVELLE_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
if [ -n "$programs_only" ]; then
  targets=(orvelle orvelle-decrypt orvelle-make-demo)
  grep -q '^ORVELLE_BUILD_GUI:BOOL=ON' "$build_dir/CMakeCache.txt" && targets+=(orvelle-gui)
  cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}"
else
  cmake --build "$build_dir" -j "$(nproc)"
fi
