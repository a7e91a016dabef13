# zlib. Debian's source leaves out win32/: the library's sources are
# compiled directly, as for SQLite.
package=zlib
recipe_version=1

build_recipe() {
  local name
  mkdir -p objects
  for name in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite \
              infback inffast inflate inftrees trees uncompr zutil; do
    logged "$log" $triple-gcc-posix -O2 -DNDEBUG -c "$name.c" -o "objects/$name.o"
  done
  logged "$log" $triple-gcc-ar-posix rcs libz.a objects/*.o
  install -m 644 libz.a "$deps/lib/"
  install -m 644 zlib.h zconf.h "$deps/include/"
}
