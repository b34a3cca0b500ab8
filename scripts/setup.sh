#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those that are missing.
# Safe to run again: a machine that has everything is left alone.
set -euo pipefail

packages=(cmake g++ make qt6-base-dev libgtest-dev libgmock-dev nlohmann-json3-dev libcli11-dev
          clang libclang-rt-14-dev xvfb xauth
          dpkg-dev file desktop-file-utils appstream lintian man-db bash-completion
          # The Windows build and its tests: mingw-w64, GoogleTest's sources, Wine; zip packs it.
          g++-mingw-w64-x86-64-posix googletest wine wine64 zip
          # The Ansible collection and its test; jsonschema checks files against the CLI's schema.
          ansible-core python3-jsonschema)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
