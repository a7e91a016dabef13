# Qt 6 base for Windows, static: Core, Gui, Widgets, Network (the
# single-instance local server), PrintSupport and Test, with the windows and
# offscreen platform plugins, the Windows styles and the GIF, ICO and JPEG
# image plugins. Debian's own Qt 6 of the same version is the host Qt: its
# moc, rcc and uic run during the build. No OpenGL, SQL, XML, D-Bus, TLS,
# examples or tests. The bundled third-party libraries (zlib, libpng,
# libjpeg, FreeType, HarfBuzz, PCRE2) are compiled in under Qt's own names.
package=qt6-base
recipe_version=1

qt_host_version() { dpkg-query -W -f='${Version}' qt6-base-dev-tools; }

qtbase_options=(
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON
  -DFEATURE_printsupport=ON -DFEATURE_network=ON -DFEATURE_accessibility=ON
  -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_dbus=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_ssl=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  # The windows platform's DirectWrite fonts are compiled only with Direct2D;
  # the Direct2D platform plugin itself (Direct2D 1.1) is not needed.
  -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF
  -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_zstd=OFF
  -DFEATURE_androiddeployqt=OFF -DFEATURE_qmake=OFF
  # Debian's source leaves out the Wintab headers that tablet input needs.
  -DFEATURE_tabletevent=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
)

build_recipe() {
  # Qt's build checks that the host Qt is of its own version.
  local host
  host=$(qt_host_version)
  case "$(basename "$tarball")" in
    "qt6-base_${host%%-*}.orig."*) ;;
    *) echo "!! the host Qt ($host) and $(basename "$tarball") differ" >&2; exit 1 ;;
  esac
  # Installed into a folder of its own inside the prefix, which the toolchain
  # file adds to the search roots. The other dependencies are hidden from
  # Qt's configure (a prefix that does not exist), so that it takes its
  # bundled copies, as the options say.
  logged "$log" cmake -S "$src" -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVELLE_WINDOWS_DEPS="$deps/no-dependencies" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/qt6" "${qtbase_options[@]}"
  logged "$log" cmake --build build -j "$jobs"
  logged "$log" cmake --install build
}
