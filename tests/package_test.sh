#!/usr/bin/env bash
# package_test.sh BUILD_DIR VERSION : packs BUILD_DIR with CPack, then checks the package's
# metadata and contents with dpkg-deb, its desktop entry, metainfo and manual pages with their
# validators, lintian's verdict, and runs the programs out of a dpkg-deb -x tree.
set -euo pipefail
build=$1
version=$2
fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
expect() { # expect WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1: got \"$2\", expected \"$3\""
}

work=$(mktemp -d)
sim=""
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/pack" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    exit 1
}
arch=$(dpkg --print-architecture)
deb="$work/pack/varnadex_${version}-1_${arch}.deb"
[ -f "$deb" ] || { echo "no $deb:" >&2; ls "$work/pack" >&2; exit 1; }

echo "== metadata"
field() { dpkg-deb -f "$deb" "$1"; }
expect Package "$(field Package)" varnadex
expect Version "$(field Version)" "${version}-1"
expect Architecture "$(field Architecture)" "$arch"
expect Section "$(field Section)" comm
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
# Computed from the binaries: the C library and Qt's widgets, with versions.
for lib in libc6 libqt6widgets6 libstdc++6; do
    [[ ", $(field Depends)" == *", $lib (>= "* ]] || fail "Depends lacks $lib: $(field Depends)"
done
[ "$(field Description | wc -l)" -ge 5 ] || fail "Description has no long text"

echo "== contents"
dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' | sed 's|^\(\S*\) \(\S*\) \./|\1 \2 /|' >"$work/contents"
while read -r mode path; do
    grep -qxF -- "$mode root/root $path" "$work/contents" || fail "missing or wrong: $mode $path"
done <<LIST
-rwxr-xr-x /usr/bin/varnadex
-rwxr-xr-x /usr/bin/varnadex-cli
-rwxr-xr-x /usr/bin/varnadex-sim
-rw-r--r-- /usr/share/applications/org.varnadex.varnadex.desktop
-rw-r--r-- /usr/share/metainfo/org.varnadex.varnadex.metainfo.xml
-rw-r--r-- /usr/share/man/man1/varnadex.1.gz
-rw-r--r-- /usr/share/man/man1/varnadex-cli.1.gz
-rw-r--r-- /usr/share/man/man1/varnadex-sim.1.gz
-rw-r--r-- /usr/share/bash-completion/completions/varnadex-cli
-rw-r--r-- /usr/share/varnadex/config.schema.json
-rw-r--r-- /usr/share/ansible/collections/ansible_collections/varnadex/converter/galaxy.yml
-rw-r--r-- /usr/share/ansible/collections/ansible_collections/varnadex/converter/plugins/modules/config.py
-rw-r--r-- /usr/share/ansible/collections/ansible_collections/varnadex/converter/plugins/modules/info.py
-rw-r--r-- /usr/share/ansible/collections/ansible_collections/varnadex/converter/plugins/inventory/scan.py
-rw-r--r-- /usr/share/doc/varnadex/copyright
-rw-r--r-- /usr/share/doc/varnadex/changelog.Debian.gz
$(for s in 16 32 48 64 128 256; do echo "-rw-r--r-- /usr/share/icons/hicolor/${s}x${s}/apps/varnadex.png"; done)
LIST
grep -v ' root/root ' "$work/contents" && fail "files not owned by root"
grep '^d' "$work/contents" | grep -v '^drwxr-xr-x ' && fail "directories not 0755"

root="$work/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
for s in 16 32 48 64 128 256; do
    expect "icon ${s}" "$(file -b "$root/usr/share/icons/hicolor/${s}x${s}/apps/varnadex.png" | cut -d, -f2)" \
        " $s x $s"
done

echo "== validators"
desktop-file-validate "$root/usr/share/applications/org.varnadex.varnadex.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.varnadex.varnadex.metainfo.xml" ||
    fail "appstreamcli validate"
for page in varnadex varnadex-cli varnadex-sim; do
    warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
# Errors are what a package must not have; its warnings are shown.
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian reports errors"
grep -v 'running with root privileges' "$work/lintian.txt" || true

echo "== installed programs"
export QT_QPA_PLATFORM=offscreen
for p in varnadex varnadex-cli varnadex-sim; do
    expect "$p --version" "$("$bin/$p" --version)" "$p $version"
done

# The settings file: none beside /usr/bin, so the user's XDG directory gives the language.
home="$work/home"
mkdir -p "$home/cfg/varnadex"
cli_message() {
    HOME=$home XDG_CONFIG_HOME=$home/cfg XDG_CONFIG_DIRS=$work/none \
        "$bin/varnadex-cli" --port "$work/no-such-port" read 2>&1 >/dev/null | head -n 1 || true
}
expect "message without a settings file" "$(cli_message)" "Nem tudom megnyitni a soros portot!"
printf '[General]\nLanguage=1\n' >"$home/cfg/varnadex/varnadex.ini"
expect "message with ~/.config's settings file" "$(cli_message)" "Couldn't open communication port!"

# The installed tools together: the simulator read over its serial side.
"$bin/varnadex-sim" --no-snmp >"$work/sim.txt" 2>&1 &
sim=$!
for _ in $(seq 50); do grep -q '^serial ' "$work/sim.txt" && break; sleep 0.1; done
pty=$(awk '$1 == "serial" {print $2; exit}' "$work/sim.txt")
timeout 60 "$bin/varnadex-cli" --lang en --port "$pty" read >"$work/read.json" 2>"$work/read.err" ||
    fail "varnadex-cli read from varnadex-sim: $(cat "$work/read.err")"

# The installed schema is the one the installed program prints.
expect "installed schema" "$(cmp -s "$root/usr/share/varnadex/config.schema.json" <("$bin/varnadex-cli" schema) && echo same)" same

echo "== completion"
complete_words() { # the candidates bash offers for the words given, the last being completed
    bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"; shift
        COMP_WORDS=(varnadex-cli "$@"); COMP_CWORD=$#
        COMP_LINE="${COMP_WORDS[*]}"; COMP_POINT=${#COMP_LINE}
        _varnadex_cli varnadex-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' \
        _ "$root/usr/share/bash-completion/completions/varnadex-cli" "$@"
}
expect "complete a command" "$(complete_words --port COM1 '')" \
    "apply diff firmware read reset scan set write "
expect "complete an option" "$(complete_words --l)" "--lang "
expect "complete --lang" "$(complete_words --lang '')" "en hu "
expect "complete after read" "$(complete_words --host h read --o)" "--output "
expect "complete after scan" "$(complete_words scan 127.0.0.1 --a)" "--all "
expect "complete --format" "$(complete_words --port COM1 read --format '')" "json text "
mkdir -p "$work/files/d"
touch "$work/files/a.json" "$work/files/b.qfw" "$work/files/c.txt"
expect "complete write's file" "$(cd "$work/files" && complete_words --port COM1 write '')" \
    "a.json d "
expect "complete firmware's file" "$(cd "$work/files" && complete_words --port COM1 firmware '')" \
    "b.qfw d "
# The fields set completes are the members read prints.
fields=$(bash -c 'source "$1"; printf "%s\n" $_varnadex_cli_fields firmwareVersion | sort' _ \
    "$root/usr/share/bash-completion/completions/varnadex-cli")
members=$(grep -o '^  "[A-Za-z]*"' "$work/read.json" | tr -d ' "' | sort)
expect "set's fields" "$fields" "$members"

if ((fails)); then
    echo "$fails failed"
    exit 1
fi
echo "package: all checks passed"
