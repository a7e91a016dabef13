#!/usr/bin/env bash
# Cross-builds Orvelle for 64-bit Windows with Debian's mingw-w64 toolchain and
# runs every test under Wine.
#
# 1. Installs what is missing: the mingw-w64 cross compiler, Wine, CMake, ...
# 2. Fetches the Debian source packages of SQLite, OpenSSL, libplist, zlib,
#    protobuf and GoogleTest (through a temporary deb-src list: the machine's apt sources
#    stay untouched) and builds them once, statically, into a dependency
#    prefix. Each dependency has a stamp file there: a second run reuses it.
# 3. Configures this tree into build-windows/ with cmake/mingw-w64.cmake,
#    builds, and runs ctest under Wine.
#
# Usage: scripts/test-windows.sh [--deps-only | --configure-only | --no-test]
#                                [extra cmake -D options...]
# Environment:
#   ORVELLE_WINDOWS_BUILD_DIR  build folder          (default build-windows)
#   ORVELLE_WINDOWS_DEPS       dependency prefix     (default <build>/deps)
#   ORVELLE_WINDOWS_BUILD_TYPE CMAKE_BUILD_TYPE      (default Release)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

stop_after=""
cmake_args=()
for arg in "$@"; do
  case "$arg" in
    --deps-only) stop_after=deps ;;
    --configure-only) stop_after=configure ;;
    --no-test) stop_after=build ;;
    -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
    *) cmake_args+=("$arg") ;;
  esac
done

build_dir=${ORVELLE_WINDOWS_BUILD_DIR:-build-windows}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
deps=${ORVELLE_WINDOWS_DEPS:-$build_dir/deps}
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)
work=$build_dir/deps-work          # sources, object files and logs
mkdir -p "$work/logs" "$work/downloads"
jobs=$(nproc)
triple=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64.cmake
build_type=${ORVELLE_WINDOWS_BUILD_TYPE:-Release}

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

# ---------------------------------------------------------------- timing
declare -a timings=()
phase_name=""
phase_start=0
phase() {
  phase_end
  phase_name=$1
  phase_start=$(date +%s.%N)
  echo "== $phase_name"
}
phase_end() {
  if [ -n "$phase_name" ]; then
    local t
    t=$(awk -v a="$phase_start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
    echo "== $phase_name: ${t} s"
    timings+=("$(printf '%-34s %8s s' "$phase_name" "$t")")
    phase_name=""
  fi
}
summary() {
  phase_end
  if [ ${#timings[@]} -gt 0 ]; then
    echo "== times"
    printf '   %s\n' "${timings[@]}"
  fi
}

# Runs a command with its output in a log file; on failure prints the tail.
logged() {
  local log=$1; shift
  echo "\$ $*" >>"$log"
  if ! "$@" >>"$log" 2>&1; then
    echo "!! failed: $*" >&2
    echo "!! last lines of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

wine_started=""
tmp_apt=""
cleanup() {
  local rc=$?
  [ -n "$tmp_apt" ] && rm -rf "$tmp_apt"
  if [ -n "$wine_started" ]; then
    # The server was started persistent: end the prefix's processes, then
    # wait until the server is gone.
    wineboot --end-session --shutdown >/dev/null 2>&1 || true
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  summary
  exit $rc
}
trap cleanup EXIT
trap 'echo "!! ${BASH_SOURCE[0]}:$LINENO: command failed: $BASH_COMMAND" >&2' ERR

# ---------------------------------------------------------------- packages
phase "packages"
packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 wine
  cmake ninja-build pkg-config make gcc perl tcl
  autoconf automake libtool
  xz-utils bzip2 libcli11-dev protobuf-compiler
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  logged "$work/logs/apt.log" $sudo_cmd apt-get update -qq -o DPkg::Lock::Timeout=600
  logged "$work/logs/apt.log" env DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install \
    -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi

# ---------------------------------------------------------------- sources
# apt options that point apt at a temporary deb-src list of its own, made
# from the machine's deb entries, and at temporary package lists.
apt_src_opts=()
source_lists_ready=""
prepare_source_lists() {
  [ -n "$source_lists_ready" ] && return
  tmp_apt=$(mktemp -d)
  mkdir -p "$tmp_apt/sources" "$tmp_apt/lists/partial"
  local f n=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # deb822 entries: "Types: deb" -> "Types: deb-src".
    sed -E 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$f" >"$tmp_apt/sources/$n.sources"
    n=$((n + 1))
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] || continue
    sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >"$tmp_apt/sources/$n.list"
    n=$((n + 1))
  done
  apt_src_opts=(
    -o "Dir::Etc::SourceParts=$tmp_apt/sources"
    -o Dir::Etc::SourceList=/dev/null
    -o "Dir::State::Lists=$tmp_apt/lists"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root
  )
  apt-get "${apt_src_opts[@]}" update -qq >"$work/logs/apt-sources.log" 2>&1 || {
    tail -n 20 "$work/logs/apt-sources.log" >&2; exit 1; }
  source_lists_ready=1
}

# fetch_source PACKAGE: downloads the newest source version that the archive
# serves whole and sets $tarball to its upstream tarball.
fetch_source() {
  local pkg=$1 dir ver upstream
  dir=$work/downloads/$pkg
  # Reuse an earlier download.
  tarball=$( (find "$dir" -maxdepth 1 -name "${pkg}_*.orig.tar.*" ! -name '*.asc' 2>/dev/null || true) | sort -V | tail -n 1)
  if [ -n "$tarball" ] && [ -f "$dir/.complete" ]; then
    return
  fi
  prepare_source_lists
  for ver in $(apt-cache "${apt_src_opts[@]}" showsrc "$pkg" | awk '/^Version:/ { print $2 }' | sort -V -r -u); do
    rm -rf "$dir"; mkdir -p "$dir"
    if (cd "$dir" && apt-get "${apt_src_opts[@]}" source --download-only -qq "$pkg=$ver") \
         >>"$work/logs/apt-sources.log" 2>&1; then
      upstream=${ver#*:}; upstream=${upstream%-*}
      tarball=$(find "$dir" -maxdepth 1 -name "${pkg}_${upstream}.orig.tar.*" ! -name '*.asc' | head -n 1)
      if [ -n "$tarball" ]; then
        touch "$dir/.complete"
        return
      fi
    fi
    echo "   ($pkg $ver not available, trying an older version)" >&2
  done
  echo "!! could not fetch the source package $pkg" >&2
  tail -n 20 "$work/logs/apt-sources.log" >&2
  exit 1
}

# unpack NAME: unpacks $tarball into a fresh $work/NAME and sets $src to it.
unpack() {
  src=$work/$1
  rm -rf "$src"; mkdir -p "$src"
  tar -xf "$tarball" -C "$src" --strip-components=1
}

# A dependency is rebuilt when its stamp is missing or names another
# version or recipe.
recipe=1
is_built() { [ -f "$deps/.stamp-$1" ] && [ "$(cat "$deps/.stamp-$1")" = "$2" ]; }
mark_built() { echo "$2" >"$deps/.stamp-$1"; }

export PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig   # never the machine's own .pc files
export PKG_CONFIG_PATH=""
mkdir -p "$deps/lib/pkgconfig" "$deps/include"

# ---------------------------------------------------------------- SQLite
# Its autotools cross-build fails: the amalgamation is generated natively
# (needs tclsh) and compiled with the cross compiler.
phase "dep sqlite3"
fetch_source sqlite3
id="$(basename "$tarball") recipe $recipe"
if is_built sqlite3 "$id"; then
  echo "   reused ($id)"
else
  log=$work/logs/sqlite3.log; : >"$log"
  unpack sqlite3
  mkdir -p "$src/native"
  (cd "$src/native" && logged "$log" ../configure --disable-tcl --disable-readline \
     && logged "$log" make -j"$jobs" sqlite3.c)
  sqlite_flags=(
    -O2 -DNDEBUG -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA
    -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_FTS4
    -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE -DSQLITE_ENABLE_DBSTAT_VTAB
    -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_SECURE_DELETE
    -DSQLITE_MAX_VARIABLE_NUMBER=250000 -DSQLITE_OMIT_LOAD_EXTENSION
  )
  (cd "$src/native" \
     && logged "$log" $triple-gcc-posix "${sqlite_flags[@]}" -c sqlite3.c -o sqlite3.o \
     && rm -f libsqlite3.a \
     && logged "$log" $triple-gcc-ar-posix rcs libsqlite3.a sqlite3.o)
  install -m 644 "$src/native/sqlite3.h" "$src/native/sqlite3ext.h" "$deps/include/"
  install -d "$deps/lib"
  install -m 644 "$src/native/libsqlite3.a" "$deps/lib/"
  sqlite_version=$(sed -nE 's/^#define SQLITE_VERSION[[:space:]]+"([^"]+)".*/\1/p' "$deps/include/sqlite3.h")
  cat >"$deps/lib/pkgconfig/sqlite3.pc" <<EOF
prefix=$deps
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SQLite
Description: SQL database engine
Version: $sqlite_version
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
EOF
  mark_built sqlite3 "$id"
fi

# ---------------------------------------------------------------- OpenSSL
# libcrypto only (libssl is built alongside but unused), algorithms the
# engine does not use switched off.
phase "dep openssl"
fetch_source openssl
id="$(basename "$tarball") recipe $recipe"
if is_built openssl "$id"; then
  echo "   reused ($id)"
else
  log=$work/logs/openssl.log; : >"$log"
  unpack openssl
  openssl_off=(
    no-shared no-tests no-engine no-dso no-module no-legacy no-async
    no-autoload-config
    no-aria no-bf no-blake2 no-camellia no-cast no-cmac no-cms no-comp no-ct
    no-des no-dh no-dsa no-ec no-ec2m no-gost no-idea no-md4 no-mdc2 no-ocb
    no-ocsp no-rc2 no-rc4 no-rc5 no-rmd160 no-scrypt no-seed no-siphash
    no-siv no-sm2 no-sm3 no-sm4 no-srp no-srtp no-ts no-whirlpool
    no-ssl3 no-tls1 no-tls1_1 no-dtls
  )
  (cd "$src" \
     && logged "$log" ./Configure mingw64 "${openssl_off[@]}" \
          --cross-compile-prefix=$triple- --prefix="$deps" --libdir=lib \
          --openssldir="$deps/ssl" \
     && logged "$log" make -j"$jobs" build_libs \
     && logged "$log" make install_dev)
  mark_built openssl "$id"
fi

# ---------------------------------------------------------------- libplist
phase "dep libplist"
fetch_source libplist
id="$(basename "$tarball") recipe $recipe"
if is_built libplist "$id"; then
  echo "   reused ($id)"
else
  log=$work/logs/libplist.log; : >"$log"
  unpack libplist
  # CC/CXX given explicitly: otherwise its configure builds Linux objects.
  (cd "$src" \
     && logged "$log" env NOCONFIGURE=1 ./autogen.sh \
     && logged "$log" ./configure --host=$triple --build="$(gcc -dumpmachine)" \
          CC=$triple-gcc-posix CXX=$triple-g++-posix \
          AR=$triple-gcc-ar-posix RANLIB=$triple-gcc-ranlib-posix \
          --prefix="$deps" --enable-static --disable-shared --without-cython \
     && logged "$log" make -j"$jobs" \
     && logged "$log" make install)
  test -f "$deps/lib/pkgconfig/libplist-2.0.pc"
  mark_built libplist "$id"
fi

# ---------------------------------------------------------------- zlib
phase "dep zlib"
fetch_source zlib
id="$(basename "$tarball") recipe $recipe"
if is_built zlib "$id"; then
  echo "   reused ($id)"
else
  log=$work/logs/zlib.log; : >"$log"
  unpack zlib
  # Debian's source leaves out win32/: the library's sources are compiled
  # directly, as for SQLite.
  zlib_sources=(adler32 compress crc32 deflate gzclose gzlib gzread gzwrite
                infback inffast inflate inftrees trees uncompr zutil)
  mkdir -p "$src/objects"
  for name in "${zlib_sources[@]}"; do
    logged "$log" $triple-gcc-posix -O2 -DNDEBUG -c "$src/$name.c" -o "$src/objects/$name.o"
  done
  rm -f "$src/libz.a"
  logged "$log" $triple-gcc-ar-posix rcs "$src/libz.a" "$src"/objects/*.o
  install -d "$deps/lib" "$deps/include"
  install -m 644 "$src/libz.a" "$deps/lib/"
  install -m 644 "$src/zlib.h" "$src/zconf.h" "$deps/include/"
  test -f "$deps/lib/libz.a"
  mark_built zlib "$id"
fi

# ---------------------------------------------------------------- protobuf
# The lite runtime only; the generated code comes from the machine's protoc,
# of the same Debian version as this source.
phase "dep protobuf"
fetch_source protobuf
id="$(basename "$tarball") recipe $recipe"
if is_built protobuf "$id"; then
  echo "   reused ($id)"
else
  log=$work/logs/protobuf.log; : >"$log"
  unpack protobuf
  protobuf_cmake=$src
  [ -f "$src/CMakeLists.txt" ] || protobuf_cmake=$src/cmake
  logged "$log" cmake -S "$protobuf_cmake" -B "$src/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
    -Dprotobuf_BUILD_TESTS=OFF -Dprotobuf_BUILD_PROTOC_BINARIES=OFF -Dprotobuf_BUILD_LIBPROTOC=OFF \
    -Dprotobuf_BUILD_SHARED_LIBS=OFF -Dprotobuf_WITH_ZLIB=OFF -Dprotobuf_BUILD_EXAMPLES=OFF
  logged "$log" cmake --build "$src/build" -j "$jobs" --target libprotobuf-lite
  install -d "$deps/lib"
  install -m 644 "$src/build/libprotobuf-lite.a" "$deps/lib/"
  # Headers: every header of the source tree (the lite runtime's include
  # the others'), kept in their folders.
  (cd "$src/src" && find google -name '*.h' -o -name '*.inc' | while read -r header; do
     install -D -m 644 "$header" "$deps/include/$header"
   done)
  mark_built protobuf "$id"
fi

# ---------------------------------------------------------------- GoogleTest
phase "dep googletest"
fetch_source googletest
id="$(basename "$tarball") recipe $recipe"
if is_built googletest "$id"; then
  echo "   reused ($id)"
else
  log=$work/logs/googletest.log; : >"$log"
  unpack googletest
  logged "$log" cmake -S "$src" -B "$src/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  logged "$log" cmake --build "$src/build" -j "$jobs"
  logged "$log" cmake --install "$src/build"
  mark_built googletest "$id"
fi

# ---------------------------------------------------------------- CLI11
# Header-only: Debian's libcli11-dev headers and CMake package, copied into
# the prefix (its CLI11Config.cmake finds the headers relative to itself).
phase "dep cli11"
id="libcli11-dev $(dpkg-query -W -f='${Version}' libcli11-dev) recipe $recipe"
if is_built cli11 "$id"; then
  echo "   reused ($id)"
else
  rm -rf "$deps/include/CLI" "$deps/share/cmake/CLI11"
  mkdir -p "$deps/share/cmake"
  cp -r /usr/include/CLI "$deps/include/CLI"
  cp -r /usr/share/cmake/CLI11 "$deps/share/cmake/CLI11"
  mark_built cli11 "$id"
fi

[ "$stop_after" = deps ] && exit 0

# ---------------------------------------------------------------- Wine
# Test discovery runs the test programs under Wine during the build, so the
# Wine prefix is set up first. The server is kept running for the whole run
# (-p) and Wine's services are started once, by wineboot, with their output
# sent away: a test program would otherwise pay Wine's start-up (seconds)
# each time, and services it started would hold ctest's pipes open.
phase "wine prefix"
export WINEPREFIX=$build_dir/wine
export WINEDEBUG=-all
export WINEARCH=win64
# Wine turns Windows file names into Linux ones in the locale's character set:
# only a UTF-8 locale holds every name the tests write.
export LC_ALL=C.UTF-8
wine_started=1
mkdir -p "$WINEPREFIX" # wineserver will not start for a prefix folder that does not exist yet
wineserver -p >/dev/null 2>&1
wineboot --init >/dev/null 2>&1 || true

# ---------------------------------------------------------------- configure
phase "configure"
cmake -S "$root" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps" \
  -DCMAKE_BUILD_TYPE="$build_type" \
  -DORVELLE_BUILD_BENCH=OFF -DORVELLE_BUILD_GUI=OFF -DORVELLE_BUILD_FUZZ=OFF \
  -DOPENSSL_ROOT_DIR="$deps" -DOPENSSL_USE_STATIC_LIBS=ON \
  -DSQLite3_INCLUDE_DIR="$deps/include" -DSQLite3_LIBRARY="$deps/lib/libsqlite3.a" \
  -DCLI11_DIR="$deps/share/cmake/CLI11" -DGTest_DIR="$deps/lib/cmake/GTest" \
  -DZLIB_ROOT="$deps" -DProtobuf_INCLUDE_DIR="$deps/include" \
  -DProtobuf_LIBRARY="$deps/lib/libprotobuf-lite.a" -DProtobuf_LITE_LIBRARY="$deps/lib/libprotobuf-lite.a" \
  -DProtobuf_PROTOC_EXECUTABLE="$(command -v protoc)" \
  "${cmake_args[@]}" >"$work/logs/configure.log" 2>&1 || {
    cat "$work/logs/configure.log" >&2; exit 1; }
[ "$stop_after" = configure ] && exit 0

# ---------------------------------------------------------------- build
phase "build"
cmake --build "$build_dir" -j "$jobs"
[ "$stop_after" = build ] && exit 0

# ---------------------------------------------------------------- test
phase "test (Wine)"
echo "   (the desktop program's tests stay Linux-only: Debian has no Qt 6 for mingw-w64;"
echo "    benchmarks and fuzz targets are Linux-only by design)"
ctest --test-dir "$build_dir" -j "$jobs" --output-on-failure --timeout 600
