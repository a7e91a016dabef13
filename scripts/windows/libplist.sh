# libplist, static.
package=libplist
recipe_version=1

build_recipe() {
  # CC/CXX given explicitly: otherwise its configure builds Linux objects.
  logged "$log" env NOCONFIGURE=1 ./autogen.sh
  logged "$log" ./configure --host=$triple --build="$(gcc -dumpmachine)" \
    CC=$triple-gcc-posix CXX=$triple-g++-posix \
    AR=$triple-gcc-ar-posix RANLIB=$triple-gcc-ranlib-posix \
    --prefix="$deps" --enable-static --disable-shared --without-cython
  logged "$log" make -j"$jobs"
  logged "$log" make install
  test -f "$deps/lib/pkgconfig/libplist-2.0.pc"
}
