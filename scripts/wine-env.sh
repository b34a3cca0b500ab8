# Sourced: wine-env.sh BUILD_DIR
# A throw-away Wine prefix of the Windows build's own, quiet and without a display, made
# once (wineboot takes a while the first time).
windows_build=$(cd "$1" && pwd)
export WINEPREFIX="$windows_build/wine"
export WINEDEBUG=-all
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
# /usr/lib/wine/wine64 itself: the /usr/bin/wine wrapper warns about 32-bit Wine on each start.
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINE WINESERVER
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== wineboot (a new prefix in $WINEPREFIX)"
    start=$(date +%s)
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
    echo "wineboot: $(( $(date +%s) - start )) s"
fi
