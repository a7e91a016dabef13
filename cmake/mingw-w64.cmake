# Cross-compiles Orvelle for 64-bit Windows with Debian's mingw-w64 toolchain
# (package g++-mingw-w64-x86-64-posix: the posix threads variant, which
# std::thread and std::mutex need).
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DORVELLE_WINDOWS_DEPS=/path/to/deps
#
# ORVELLE_WINDOWS_DEPS (cache variable, or environment variable of the same
# name) is the prefix holding the dependencies built for Windows: SQLite,
# OpenSSL's libcrypto, libplist, zlib, protobuf's lite runtime, GoogleTest,
# CLI11's headers, libheif with libde265, and Qt 6 in qt6/.
# scripts/test-windows.sh builds it. Programs and tests are linked statically
# (libgcc, libstdc++, winpthread) so that they run under Wine, or on a
# Windows PC, without any of the toolchain's DLLs beside them. Test discovery
# and ctest run the .exe files through Wine.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_orvelle_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_orvelle_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_orvelle_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_orvelle_triple}-windres)
set(CMAKE_AR ${_orvelle_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_orvelle_triple}-gcc-ranlib-posix CACHE FILEPATH "")

# The dependency prefix: cache variable first, then the environment.
if(NOT ORVELLE_WINDOWS_DEPS AND DEFINED ENV{ORVELLE_WINDOWS_DEPS})
  set(ORVELLE_WINDOWS_DEPS "$ENV{ORVELLE_WINDOWS_DEPS}")
endif()
set(ORVELLE_WINDOWS_DEPS "${ORVELLE_WINDOWS_DEPS}" CACHE PATH
    "Prefix holding the dependencies built for Windows")
# try_compile projects read the toolchain file again: hand the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVELLE_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${_orvelle_triple})
if(ORVELLE_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${ORVELLE_WINDOWS_DEPS}")
  # pkg-config (libplist-2.0) looks only in the prefix, never at the
  # machine's own Linux .pc files.
  set(ENV{PKG_CONFIG_LIBDIR} "${ORVELLE_WINDOWS_DEPS}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
  set(ENV{PKG_CONFIG_PATH} "")
endif()
# Qt 6 for Windows, when the prefix has it, lives in a folder of its own;
# Debian's Qt 6 of the same version is the host Qt whose moc, rcc and uic
# run during the build.
if(ORVELLE_WINDOWS_DEPS AND EXISTS "${ORVELLE_WINDOWS_DEPS}/qt6/lib/cmake/Qt6")
  list(PREPEND CMAKE_FIND_ROOT_PATH "${ORVELLE_WINDOWS_DEPS}/qt6")
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: no libgcc_s_seh-1.dll, libstdc++-6.dll or
# libwinpthread-1.dll to hunt for at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# Run the .exe files (gtest_discover_tests, ctest) through Wine.
find_program(ORVELLE_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ORVELLE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${ORVELLE_WINE}")
endif()
