#!/usr/bin/env bash
# The game as a player gets it: the package `make package` builds, checked by Debian's validators,
# unpacked without root and played from an unrelated folder with its data read-only: the main menu
# in a real window, a game played to the lose screen with xdotool, the record in the player's
# $XDG_DATA_HOME/varnhold/ in the game's byte format, and nothing under the unpacked tree changed.
# Started with neither HOME nor XDG_DATA_HOME, it says once where it would save and writes nothing.
# As root, the package is also installed for real, its map checked, and removed without a trace.
# Usage: installed_game.sh BUILD_DIR SHOT_DIR
set -u

NO_DISPLAY=75
. "$(dirname "$0")/../e2e/lib.sh"
e2e_own_display "$0" "$@"

BUILD=$1
SHOTS=$2
WORK=$(mktemp -d /tmp/varnhold-package.XXXXXX)
trap e2e_cleanup EXIT
mkdir -p "$SHOTS" "$WORK/run"
rm -f "$SHOTS"/*.png

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/package" >"$WORK/cpack.log" 2>&1 ||
    fail "no package: $(tail -5 "$WORK/cpack.log")"
DEB=$(ls "$WORK"/package/varnhold_*_amd64.deb 2>/dev/null | head -1)
[ -n "$DEB" ] || fail "cpack made no .deb: $(ls "$WORK/package")"
dpkg-deb -f "$DEB" Section | grep -qx games || fail "section: $(dpkg-deb -f "$DEB" Section)"
dpkg-deb -f "$DEB" Depends | grep -q "libsfml-graphics" || fail "depends: $(dpkg-deb -f "$DEB" Depends)"

# What Debian's validators say: no error.
lintian "$DEB" >"$WORK/lintian.log" 2>&1
grep "^E:" "$WORK/lintian.log" && fail "lintian found errors"
dpkg-deb -x "$DEB" "$WORK/root"
ROOT="$WORK/root/usr"
desktop-file-validate "$ROOT"/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$ROOT"/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

# The unpacked game, its data read-only, played from an unrelated folder.
chmod -R a-w "$ROOT/share/games/varnhold"
listing() { find "$WORK/root" -printf '%p %s %T@ %m\n' | sort; }
listing >"$WORK/before"
GAME="$ROOT/games/varnhold"
"$GAME" --version | grep -qx "Varnhold [0-9.]*" || fail "--version: $("$GAME" --version)"
"$GAME" --help | head -1 | grep -q "data from $ROOT/share/games/varnhold/ (the installed data)" ||
    fail "--help: $("$GAME" --help | head -1)"

# Without HOME or XDG_DATA_HOME: one line says where it would save; the menu shows; nothing saved.
SAVED_HOME=$HOME
unset HOME XDG_DATA_HOME
e2e_start_game "$GAME"
shot menu_homeless
click 640 577 # Exit
e2e_wait_exit
export HOME=$SAVED_HOME
[ "$(grep -c "would go to" "$WORK/run/game.err")" -eq 1 ] || fail "no single line on where it would save"

export HOME="$WORK/home" XDG_DATA_HOME="$WORK/xdg"
mkdir -p "$HOME"
e2e_start_game "$GAME"
shot menu
not_black "$SHOTS/menu.png" || fail "the main menu is black"
near "$(pixel "$SHOTS/menu.png" 500 328)" 200 162 74 12 || fail "no Play button on the menu"
xdotool type --window "$W" --delay 40 "Installed"
xdotool key --window "$W" Return
wait_for 'screen == 4 && running == 1' "a game after Enter"
# The keep falls to the first waves at 3x.
xdotool key --window "$W" f
settle
xdotool key --window "$W" f
HANG_CEILING=600 wait_for 'screen == 5' "lose screen"
shot lose
click 640 585 # back to the menu
click 640 577 # Exit
e2e_wait_exit

RECORD="$XDG_DATA_HOME/varnhold/highscore.json"
[ -f "$RECORD" ] || fail "no record at $RECORD: $(find "$WORK/xdg" "$HOME")"
[ "$(stat -c %a "$XDG_DATA_HOME/varnhold")" = 700 ] || fail "the folder's mode is $(stat -c %a "$XDG_DATA_HOME/varnhold")"
CONTENT=$(cat "$RECORD"; printf x)
CONTENT=${CONTENT%x}
PATTERN=$'^\\{ \n"name" : "Installed", \n"score" : (0|[1-9][0-9]*), \n"wave" : [1-9][0-9]*\n \\}$'
[[ "$CONTENT" =~ $PATTERN ]] || fail "record: $(od -c "$RECORD" | head)"
[ -z "$(find "$HOME" -mindepth 1)" ] || fail "written into HOME: $(find "$HOME" -mindepth 1)"
[ "$(ls "$XDG_DATA_HOME/varnhold")" = "$(printf 'highscore.json\nrecords.json\nsettings.json')" ] ||
    fail "the player's folder holds: $(ls -a "$XDG_DATA_HOME/varnhold")"
listing >"$WORK/after"
diff "$WORK/before" "$WORK/after" || fail "the unpacked tree changed"

# As root: installed for real and removed again.
if [ "$(id -u)" -eq 0 ]; then
    chmod -R u+w "$WORK/root"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$DEB" >"$WORK/apt.log" 2>&1 ||
        fail "apt-get install: $(tail -5 "$WORK/apt.log")"
    PATH="$PATH:/usr/games" varnhold --check-map /usr/share/games/varnhold/game.tmj ||
        fail "the installed game's map checker"
    dpkg -L varnhold >"$WORK/files"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq --purge varnhold >>"$WORK/apt.log" 2>&1 ||
        fail "apt-get remove: $(tail -5 "$WORK/apt.log")"
    LEFT=$(while read -r f; do [ -e "$f" ] && [ ! -d "$f" ] && echo "$f"; done <"$WORK/files")
    [ -z "$LEFT" ] || fail "left behind: $LEFT"
    for dir in /usr/share/games/varnhold /usr/share/doc/varnhold; do
        [ ! -e "$dir" ] || fail "left behind: $dir"
    done
fi
echo "PASS"
