#!/usr/bin/env bash
# Builds and runs the desktop program, or says plainly why it cannot.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh normal
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the desktop program needs one (try: xvfb-run scripts/demo.sh)."
    exit 0
fi
exec build/ui/varnadex "$@"
