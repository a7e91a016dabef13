# CLI11 is header-only: Debian's libcli11-dev headers and CMake package,
# copied into the prefix (its CLI11Config.cmake finds the headers relative
# to itself).
package=""
recipe_version=1

source_id() { echo "libcli11-dev $(dpkg-query -W -f='${Version}' libcli11-dev)"; }

build_recipe() {
  rm -rf "$deps/include/CLI" "$deps/share/cmake/CLI11"
  mkdir -p "$deps/share/cmake"
  cp -r /usr/include/CLI "$deps/include/CLI"
  cp -r /usr/share/cmake/CLI11 "$deps/share/cmake/CLI11"
}
