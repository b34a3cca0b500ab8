#!/usr/bin/env bash
# build.sh [normal|sanitize] : configures and builds into build/ or build-sanitize/.
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
    *) echo "usage: build.sh [normal|sanitize]" >&2; exit 2 ;;
esac
