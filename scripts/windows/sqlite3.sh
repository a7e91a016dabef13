# SQLite. Its autotools cross-build fails: the amalgamation is generated
# natively (needs tclsh) and compiled with the cross compiler.
package=sqlite3
recipe_version=1

build_recipe() {
  mkdir -p native
  (cd native && logged "$log" ../configure --disable-tcl --disable-readline \
     && logged "$log" make -j"$jobs" sqlite3.c)
  local flags=(
    -O2 -DNDEBUG -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA
    -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_FTS4
    -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE -DSQLITE_ENABLE_DBSTAT_VTAB
    -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_SECURE_DELETE
    -DSQLITE_MAX_VARIABLE_NUMBER=250000 -DSQLITE_OMIT_LOAD_EXTENSION
  )
  logged "$log" $triple-gcc-posix "${flags[@]}" -c native/sqlite3.c -o native/sqlite3.o
  logged "$log" $triple-gcc-ar-posix rcs native/libsqlite3.a native/sqlite3.o
  install -m 644 native/sqlite3.h native/sqlite3ext.h "$deps/include/"
  install -m 644 native/libsqlite3.a "$deps/lib/"
  local version
  version=$(sed -nE 's/^#define SQLITE_VERSION[[:space:]]+"([^"]+)".*/\1/p' "$deps/include/sqlite3.h")
  cat >"$deps/lib/pkgconfig/sqlite3.pc" <<PC
prefix=$deps
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SQLite
Description: SQL database engine
Version: $version
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
PC
}
