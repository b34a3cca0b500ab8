#!/usr/bin/env bash
# package.sh [windows | CMAKE_ARGS...] : builds the programs for release and packs them into
# varnadex_VERSION-RELEASE_ARCH.deb at the top of the repository, with CPack's DEB generator.
# BUILD_DIR picks the build directory (default build-release/); extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
# package.sh windows: varnadex-cli-VERSION-win64.zip instead.
[ "${1:-}" = windows ] && exec scripts/package-windows.sh
build=${BUILD_DIR:-build-release}

# Debian's hardening flags without its optimisation, debug and -Werror choices: Release
# optimises (-O3), the package is stripped, and a new compiler's warning must not stop a
# release build.
keep() { tr ' ' '\n' | grep -v -e '^-g$' -e '^-O[0-9s]*$' -e '^-Werror' | tr '\n' ' '; }
cxxflags=$( (dpkg-buildflags --get CPPFLAGS; dpkg-buildflags --get CXXFLAGS) | tr '\n' ' ' | keep)
ldflags="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"

# Only the programs are built: packing then installs without building the tests first.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNADEX_GUI=ON -DVARNADEX_WERROR=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" --target varnadex varnadex-cli varnadex-sim varnadex-cli-files
rm -f "$build"/package/*.deb
(cd "$build" && cpack -G DEB -B "$PWD/package" >/dev/null)
deb=$(ls "$build"/package/varnadex_*.deb)
cp "$deb" .
echo "$(basename "$deb")"
