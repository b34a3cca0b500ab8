#!/usr/bin/env bash
# Builds and runs every benchmark; each prints what it measured next to its floor or target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh normal
for b in build/bench/*_bench; do
    echo "== $(basename "$b")"
    "$b"
done
