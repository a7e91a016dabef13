# OpenSSL: libcrypto only (libssl is built alongside but unused), with the
# algorithms the engine does not use switched off.
package=openssl
recipe_version=1

build_recipe() {
  local off=(
    no-shared no-tests no-engine no-dso no-module no-legacy no-async
    no-autoload-config
    no-aria no-bf no-blake2 no-camellia no-cast no-cmac no-cms no-comp no-ct
    no-des no-dh no-dsa no-ec no-ec2m no-gost no-idea no-md4 no-mdc2 no-ocb
    no-ocsp no-rc2 no-rc4 no-rc5 no-rmd160 no-scrypt no-seed no-siphash
    no-siv no-sm2 no-sm3 no-sm4 no-srp no-srtp no-ts no-whirlpool
    no-ssl3 no-tls1 no-tls1_1 no-dtls
  )
  logged "$log" ./Configure mingw64 "${off[@]}" \
    --cross-compile-prefix=$triple- --prefix="$deps" --libdir=lib \
    --openssldir="$deps/ssl"
  logged "$log" make -j"$jobs" build_libs
  logged "$log" make install_dev
}
