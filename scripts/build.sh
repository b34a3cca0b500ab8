#!/usr/bin/env bash
# build.sh [normal|sanitize|windows [TARGET...]] : configures and builds into build/,
# build-sanitize/ or build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-normal}
jobs=$(nproc)
case "$kind" in
    normal)
        # The build users make, at -O3, so that its warnings (warnings as errors here) and its
        # tests are the ones that count.
        cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVARNADEX_WERROR=ON >/dev/null
        cmake --build build -j"$jobs"
        ;;
    sanitize)
        # clang, so that the same pass builds the libFuzzer targets.
        CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug \
            -DVARNADEX_SANITIZE=ON -DVARNADEX_FUZZ=ON -DVARNADEX_WERROR=ON >/dev/null
        cmake --build build-sanitize -j"$jobs"
        ;;
    windows)
        # varnadex-cli.exe and the unit tests that need no pty, with mingw-w64, linked
        # statically; GoogleTest is built from Debian's sources by the same compiler. -O2, as
        # GCC 12's -O3 warns falsely of array bounds in vector inserts.
        shift
        cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
            -DVARNADEX_GUI=OFF -DVARNADEX_WERROR=ON >/dev/null
        if (($#)); then
            cmake --build build-windows -j"$jobs" --target "$@"
        else
            cmake --build build-windows -j"$jobs"
        fi
        ;;
    *) echo "usage: build.sh [normal|sanitize|windows [TARGET...]]" >&2; exit 2 ;;
esac
