#!/usr/bin/env bash
# pictures.sh : renders the main window (also with its File menu open), the About box and the
# four settings dialogs in both languages into docs/*.png, under a virtual X display (xvfb-run,
# from scripts/setup.sh).
# BUILD_DIR picks the build directory (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is missing: run scripts/setup.sh first." >&2
    exit 1
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target varnadex-shots -j"$(nproc)"
mkdir -p docs
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/varnadex-shots" docs
