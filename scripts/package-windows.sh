#!/usr/bin/env bash
# package-windows.sh : builds varnadex-cli.exe with mingw-w64 and packs
# varnadex-cli-VERSION-win64.zip at the top of the repository: the program (linked
# statically, so nothing else is needed beside it), the README, and the CLI's manual as text.
# "scripts/package.sh windows" comes here.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows
scripts/build.sh windows varnadex-cli
version=$(sed -n 's/^project(varnadex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=varnadex-cli-$version-win64

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
x86_64-w64-mingw32-strip -o "$stage/$name/varnadex-cli.exe" "$build/cli/varnadex-cli.exe"
# Windows' own editors want CR LF.
crlf() { sed 's/\r*$/\r/'; }
crlf <README.md >"$stage/$name/README.md"

# The manual page as plain text, where the build has made one; otherwise the usage the
# program itself prints.
page=${MANPAGE:-}
for candidate in "$build/packaging/man/varnadex-cli.1" build/packaging/man/varnadex-cli.1; do
    [ -z "$page" ] && [ -f "$candidate" ] && page=$candidate
done
if [ -n "$page" ]; then
    MANWIDTH=80 man -l "$page" 2>/dev/null | col -bx | crlf >"$stage/$name/varnadex-cli.txt"
else
    (echo "varnadex-cli $version"; echo; sed -n '/^- `varnadex-cli`/,/^- `varnadex-sim`/p' README.md |
        sed '$d') | crlf >"$stage/$name/varnadex-cli.txt"
fi

rm -f "$name.zip"
(cd "$stage" && zip -qr9 "$OLDPWD/$name.zip" "$name")
echo "$name.zip"
