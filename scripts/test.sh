#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build, where the
# Debian package of that build is tested too, then the Windows build's under Wine (its unit
# tests, and varnadex-cli.exe against the Linux simulator), and once under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(( $(nproc) + 1 ))

echo "== normal build"
scripts/build.sh normal
cmake -S . -B build -DVARNADEX_PACKAGE_TEST=ON >/dev/null
(cd build && ctest -j"$jobs" --output-on-failure --timeout 300)

echo "== Windows build, under Wine"
scripts/build.sh windows
(source scripts/wine-env.sh build-windows && cd build-windows &&
    ctest -j"$jobs" -L wine --output-on-failure --timeout 300)
tests/wine_e2e.sh build build-windows

echo "== sanitizer build"
scripts/build.sh sanitize
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
(cd build-sanitize && ctest -j"$jobs" --output-on-failure --timeout 600)
