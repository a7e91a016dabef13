# libheif with libde265 built in (no plugins): reads HEIC pictures; no
# encoders, no AVIF, no examples.
package=libheif
recipe_version=1

build_recipe() {
  cmake_dependency -DBUILD_SHARED_LIBS=OFF -DENABLE_PLUGIN_LOADING=OFF \
    -DWITH_LIBDE265=ON -DWITH_LIBDE265_PLUGIN=OFF -DWITH_X265=OFF \
    -DWITH_DAV1D=OFF -DWITH_AOM_ENCODER=OFF -DWITH_AOM_DECODER=OFF \
    -DWITH_SvtEnc=OFF -DWITH_RAV1E=OFF -DWITH_EXAMPLES=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Doxygen=ON -DWITH_GDK_PIXBUF=OFF
  grep -q "libde265 (HEIC decoder): found (built-in)" "$log" || { echo "!! libheif was built without libde265" >&2; exit 1; }
  # A static library: whoever links it links libde265 and the C++ runtime too.
  sed -i -E 's/^Libs:(.*)$/Libs:\1 -lde265 -lstdc++/' "$deps/lib/pkgconfig/libheif.pc"
}
