# GoogleTest and GoogleMock, static.
package=googletest
recipe_version=1

build_recipe() {
  cmake_dependency -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}
