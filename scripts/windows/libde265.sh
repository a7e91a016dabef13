# libde265: the HEVC decoder behind the HEIC preview, static, decoder only.
package=libde265
recipe_version=1

build_recipe() {
  cmake_dependency -DBUILD_SHARED_LIBS=OFF -DENABLE_SDL=OFF -DENABLE_DECODER=OFF \
    -DENABLE_ENCODER=OFF
  test -f "$deps/lib/pkgconfig/libde265.pc"
}
