# Shared steps of the Windows build, sourced by scripts/test-windows.sh and
# scripts/package-windows.sh: where things go, logged commands, timed
# phases, and building a dependency from its recipe.
#
# The dependencies are built once into a cache outside the clone, so that a
# fresh checkout on the same machine reuses them:
#   $ORVELLE_WINDOWS_CACHE (default ~/.cache/orvelle/windows)
#     downloads/<source package>/     Debian source packages as fetched
#     <toolchain>/prefix/             what the dependencies install
#     <toolchain>/prefix/.stamp-<name>  source and recipe each was built from
#     <toolchain>/work/<name>/        its sources and objects; logs/
# <toolchain> names the cross compiler and the mingw-w64 runtime by their
# Debian versions: another toolchain builds everything anew.
#
# A recipe is scripts/windows/<name>.sh. It sets
#   package         the Debian source package (empty for one from a -dev package)
#   recipe_version  bumped whenever the recipe builds differently
# and defines build_recipe, which runs in $src (the unpacked source) with
# $deps, $log, $jobs, $triple and $toolchain set, and installs into $deps.
# A recipe without a source package defines source_id instead, which prints
# what it is built from.

windows_scripts=$root/scripts/windows
triple=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64.cmake
jobs=${ORVELLE_WINDOWS_JOBS:-$(nproc)}

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

# ---------------------------------------------------------------- places
toolchain_key() {
  local compiler runtime
  compiler=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix 2>/dev/null || echo unknown)
  runtime=$(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev 2>/dev/null || echo unknown)
  echo "$triple-gcc$compiler-crt$runtime"
}

# Sets $build_dir, $build_type, $cache, $downloads and $logs (made if
# missing).
choose_places() {
  build_dir=${ORVELLE_WINDOWS_BUILD_DIR:-build-windows}
  mkdir -p "$build_dir"
  build_dir=$(cd "$build_dir" && pwd)
  build_type=${ORVELLE_WINDOWS_BUILD_TYPE:-Release}
  cache=${ORVELLE_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/orvelle/windows}
  downloads=$cache/downloads
  logs=$cache/logs
  mkdir -p "$downloads" "$logs"
}

# Sets $deps and $work for the installed toolchain (so only once the
# packages are in).
choose_prefix() {
  local key
  key=$(toolchain_key)
  deps=${ORVELLE_WINDOWS_DEPS:-$cache/$key/prefix}
  work=${ORVELLE_WINDOWS_WORK:-$cache/$key/work}
  mkdir -p "$deps/lib/pkgconfig" "$deps/include" "$work/logs"
  deps=$(cd "$deps" && pwd)
  export PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig   # never the machine's own .pc files
  export PKG_CONFIG_PATH=""
}

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

# ---------------------------------------------------------------- packages
# install_packages NAME...: installs those of Debian's packages that are missing.
install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  logged "$logs/apt.log" $sudo_cmd apt-get update -qq -o DPkg::Lock::Timeout=600
  logged "$logs/apt.log" env DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install \
    -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

# ---------------------------------------------------------------- sources
# apt options that point apt at a temporary deb-src list of its own, made
# from the machine's deb entries, and at temporary package lists: the
# machine's apt sources stay untouched.
apt_src_opts=()
source_lists=""
prepare_source_lists() {
  [ -n "$source_lists" ] && return
  source_lists=$(mktemp -d)
  mkdir -p "$source_lists/sources" "$source_lists/lists/partial"
  local f n=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # deb822 entries: "Types: deb" -> "Types: deb-src".
    sed -E 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$f" >"$source_lists/sources/$n.sources"
    n=$((n + 1))
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] || continue
    sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >"$source_lists/sources/$n.list"
    n=$((n + 1))
  done
  apt_src_opts=(
    -o "Dir::Etc::SourceParts=$source_lists/sources"
    -o Dir::Etc::SourceList=/dev/null
    -o "Dir::State::Lists=$source_lists/lists"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root
  )
  apt-get "${apt_src_opts[@]}" update -qq >"$logs/apt-sources.log" 2>&1 || {
    tail -n 20 "$logs/apt-sources.log" >&2; exit 1; }
}
forget_source_lists() {
  [ -n "$source_lists" ] && rm -rf "$source_lists"
  source_lists=""
}

# fetch_source PACKAGE: downloads the newest source version that the archive
# serves whole and sets $tarball to its upstream tarball.
fetch_source() {
  local pkg=$1 dir ver upstream
  dir=$downloads/$pkg
  # Reuse an earlier download.
  tarball=$( (find "$dir" -maxdepth 1 -name "${pkg}_*.orig.tar.*" ! -name '*.asc' 2>/dev/null || true) | sort -V | tail -n 1)
  if [ -n "$tarball" ] && [ -f "$dir/.complete" ]; then
    return
  fi
  prepare_source_lists
  for ver in $(apt-cache "${apt_src_opts[@]}" showsrc "$pkg" | awk '/^Version:/ { print $2 }' | sort -V -r -u); do
    rm -rf "$dir"; mkdir -p "$dir"
    if (cd "$dir" && apt-get "${apt_src_opts[@]}" source --download-only -qq "$pkg=$ver") \
         >>"$logs/apt-sources.log" 2>&1; then
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
  tail -n 20 "$logs/apt-sources.log" >&2
  exit 1
}

# ---------------------------------------------------------------- recipes
# build_dependency NAME: builds scripts/windows/NAME.sh into $deps unless its
# stamp names the same source and recipe.
build_dependency() {
  local name=$1 id
  phase "dep $name"
  package="" recipe_version=""
  unset -f build_recipe source_id
  # shellcheck source=/dev/null
  source "$windows_scripts/$name.sh"
  if [ -n "$package" ]; then
    fetch_source "$package"
    id=$(basename "$tarball")
  else
    id=$(source_id)
  fi
  id="$id recipe $recipe_version"
  if [ -f "$deps/.stamp-$name" ] && [ "$(cat "$deps/.stamp-$name")" = "$id" ]; then
    echo "   reused ($id)"
    return
  fi
  log=$work/logs/$name.log
  : >"$log"
  src=$work/$name
  rm -rf "$src"; mkdir -p "$src"
  [ -n "$package" ] && tar -xf "$tarball" -C "$src" --strip-components=1
  (cd "$src" && build_recipe)
  echo "$id" >"$deps/.stamp-$name"
  # Sources and objects are not needed again.
  rm -rf "$src"
}

# cmake_dependency ARGS...: configures, builds and installs the CMake project
# in $src for Windows into $deps.
cmake_dependency() {
  logged "$log" cmake -S "$src" -B "$src/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" "$@"
  logged "$log" cmake --build "$src/build" -j "$jobs"
  logged "$log" cmake --install "$src/build"
}

# ---------------------------------------------------------------- the build
# What the Windows build needs of Debian's packages.
windows_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 wine
  cmake ninja-build pkg-config make gcc perl tcl
  autoconf automake libtool
  xz-utils bzip2 libcli11-dev protobuf-compiler
  qt6-base-dev qt6-base-dev-tools librsvg2-bin fonts-dejavu-core fonts-wine
)

# The dependencies in the order they are built.
windows_dependencies=(
  sqlite3 openssl libplist zlib protobuf googletest cli11 libde265 libheif qtbase
)

# start_wine PREFIX: sets up the Wine prefix and keeps its server running
# for the whole run (-p), with Wine's services started once by wineboot and
# their output sent away: a program would otherwise pay Wine's start-up
# (seconds) each time, and services it started would hold ctest's pipes open.
start_wine() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEARCH=win64
  # Wine turns Windows file names into Linux ones in the locale's character
  # set: only a UTF-8 locale holds every name the tests write.
  export LC_ALL=C.UTF-8
  # The offscreen platform of the desktop program's tests draws text with
  # the fonts of this folder (Wine hands QT_* variables on as WINEQT_*).
  export WINEQT_QPA_FONTDIR=Z:/usr/share/fonts/truetype/dejavu
  mkdir -p "$WINEPREFIX" # wineserver will not start for a prefix folder that does not exist yet
  wine_started=1
  wineserver -p >/dev/null 2>&1
  wineboot --init >/dev/null 2>&1 || true
}

# stop_wine: ends the prefix's processes, then waits until the server is gone.
stop_wine() {
  wineboot --end-session --shutdown >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w || true
  wine_started=""
}

# start_display: a virtual display (Xvfb) as $DISPLAY, ready when this
# returns. Start it before Wine: Wine's desktop process keeps the display it
# started with.
display_pid=""
start_display() {
  local display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  display_pid=$!
  export DISPLAY=$display
  for _ in $(seq 1 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.2; done
}
stop_display() {
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  display_pid=""
}

# end_run RC: what every script does on its way out (trap 'end_run $?' EXIT):
# forgets the temporary source lists, stops Wine and the display if they
# were started, prints the times, and exits with RC.
wine_started=""
end_run() {
  forget_source_lists
  [ -n "$wine_started" ] && stop_wine
  stop_display
  summary
  exit "$1"
}

# configure_orvelle BUILD_DIR [cmake options...]: configures this tree for
# Windows against the dependency prefix.
configure_orvelle() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE="$build_type" \
    -DORVELLE_BUILD_BENCH=OFF -DORVELLE_BUILD_GUI=ON -DORVELLE_BUILD_FUZZ=OFF \
    -DOPENSSL_ROOT_DIR="$deps" -DOPENSSL_USE_STATIC_LIBS=ON \
    -DSQLite3_INCLUDE_DIR="$deps/include" -DSQLite3_LIBRARY="$deps/lib/libsqlite3.a" \
    -DCLI11_DIR="$deps/share/cmake/CLI11" -DGTest_DIR="$deps/lib/cmake/GTest" \
    -DZLIB_ROOT="$deps" -DProtobuf_INCLUDE_DIR="$deps/include" \
    -DProtobuf_LIBRARY="$deps/lib/libprotobuf-lite.a" -DProtobuf_LITE_LIBRARY="$deps/lib/libprotobuf-lite.a" \
    -DProtobuf_PROTOC_EXECUTABLE="$(command -v protoc)" \
    "$@" >"$dir/configure.log" 2>&1 || {
      cat "$dir/configure.log" >&2; exit 1; }
}
