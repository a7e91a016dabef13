# protobuf: the lite runtime only; the generated code comes from the
# machine's protoc, of the same Debian version as this source.
package=protobuf
recipe_version=1

build_recipe() {
  local project=$src
  [ -f CMakeLists.txt ] || project=$src/cmake
  logged "$log" cmake -S "$project" -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
    -Dprotobuf_BUILD_TESTS=OFF -Dprotobuf_BUILD_PROTOC_BINARIES=OFF -Dprotobuf_BUILD_LIBPROTOC=OFF \
    -Dprotobuf_BUILD_SHARED_LIBS=OFF -Dprotobuf_WITH_ZLIB=OFF -Dprotobuf_BUILD_EXAMPLES=OFF
  logged "$log" cmake --build build -j "$jobs" --target libprotobuf-lite
  install -m 644 build/libprotobuf-lite.a "$deps/lib/"
  # Headers: every header of the source tree (the lite runtime's include
  # the others'), kept in their folders.
  (cd src && find google -name '*.h' -o -name '*.inc' | while read -r header; do
     install -D -m 644 "$header" "$deps/include/$header"
   done)
}
