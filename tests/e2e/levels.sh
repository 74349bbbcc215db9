#!/usr/bin/env bash
# Levels, difficulty and the record tables in the real game, played by hand on its own X display:
#   two levels dropped into assets/levels/ (a short one, and one whose check refuses it) appear
#   on the level select after the first level; the refused one is greyed and neither Enter nor
#   Play starts it -> the short level on Hard (a hurried hand picks Hard) -> its keep falls ->
#   the lose screen -> highscore.json is byte for byte what it was, and the game heads the short
#   level's Hard table -> the highscore screen shows that table, and an empty one beside it ->
#   the first level on Easy waits for the Start button, which sends wave 1 -> leave, Exit.
# Usage: levels.sh GAME READ_RECORD SOURCE_DIR SHOT_DIR
set -u

NO_DISPLAY=75
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
READ_RECORD=$2
SOURCE=$3
SHOTS=$4
NAME="Level Walker"

e2e_scratch "$SOURCE"
rm -f "$SHOTS"/*.png
# The levels folder holds the test's two levels only: the short level, named, with its tile sheet
# one folder up as Tiled writes it; and the same map without its keep.
rm -rf "$WORK/assets/levels"
mkdir -p "$WORK/assets/levels"
sed -e '0,/{/s//{ "properties": [{ "name": "Name", "type": "string", "value": "Short Road" }],/' \
    -e 's/"image": "tilesheet.png"/"image": "..\/tilesheet.png"/' \
    "$SOURCE/tests/data/ui/short_game.tmj" >"$WORK/assets/levels/a-short.tmj"
sed -e 's/"type": "Base"/"type": "Keep"/' -e 's/"image": "tilesheet.png"/"image": "..\/tilesheet.png"/' \
    "$SOURCE/tests/data/ui/short_game.tmj" >"$WORK/assets/levels/b-keepless.tmj"
grep -q '"Short Road"' "$WORK/assets/levels/a-short.tmj" || fail "could not name the short level"
# A record that no game here comes near; it must not change.
printf '{ \n"name" : "Keeper", \n"score" : 99999, \n"wave" : 9\n }' >"$WORK/assets/highscore.json"
cp "$WORK/assets/highscore.json" "$WORK/highscore.before"

e2e_start_game "$GAME"

NAME_FIELD="640 260"; LEVELS="756 328"; HIGHSCORE="640 395"; EXIT="640 577"
# The select: cards 285 x 232 from (40, 84), 305 apart; the difficulty and Play below.
CARD_FIRST="182 200"; CARD_SHORT="487 200"; CARD_KEEPLESS="792 200"
EASY="245 616"; HARD="525 616"; PLAY_LEVEL="1111 616"
LOSE_RETURN="640 585"; HIGHSCORE_RETURN="640 629"; PREVIOUS_TABLE="506 150"
START_WAVE="640 126"; LEAVE_GAME="640 474"

grey() { # "r g b" -> whether the three channels are within 2 of each other
    local c=($1)
    [ ${#c[@]} -eq 3 ] || return 1
    local r=${c[0]%.*} g=${c[1]%.*} b=${c[2]%.*}
    (( (r - g) * (r - g) <= 4 && (g - b) * (g - b) <= 4 ))
}
colours() { # file x y w h -> how many different colours the rectangle holds
    convert "$1" -crop "$4x$5+$2+$3" +repage -format '%k' info:
}

click $NAME_FIELD
xdotool type --window "$W" --delay 40 "$NAME"
click $LEVELS
wait_for 'screen == 6' "the level select"
shot select
# The first level, then the two dropped in: the short one in colour, the refused one greyed.
grey "$(pixel "$SHOTS/select.png" 487 120)" && fail "the short level's picture is grey"
grey "$(pixel "$SHOTS/select.png" 752 120)" || fail "the refused level's picture is not grey: $(pixel "$SHOTS/select.png" 752 120)"
click $CARD_KEEPLESS
xdotool key --window "$W" Return
wait_frames 3
click $PLAY_LEVEL
wait_clock 0.5
trace_is 'screen == 6 && running == 0' || fail "the refused level was started"

click $CARD_SHORT
hurried_click $HARD
settle
shot select_hard
click $PLAY_LEVEL
wait_for 'screen == 4 && running == 1 && level == "a-short.tmj" && difficulty == 2' "the short level on Hard"
shot game_hard
wait_for 'screen == 5' "the lose screen"
shot lose_hard
cmp -s "$WORK/highscore.before" "$WORK/assets/highscore.json" || fail "a game on another level changed highscore.json"
TABLE=$("$READ_RECORD" --table "$WORK/assets/records.json" a-short.tmj hard) || fail "no readable records file"
echo "the short level's Hard table: $TABLE"
[ "$(wc -l <<<"$TABLE")" -eq 1 ] || fail "the table holds: $TABLE"
[[ "$TABLE" == "\"$NAME\" "* ]] || fail "the game is not in its table: $TABLE"
[ -z "$("$READ_RECORD" --table "$WORK/assets/records.json" a-short.tmj normal)" ] || fail "a Normal table got the game"

# The highscore screen opens on the table last chosen: the game's score is in its column; the first
# level's Hard table beside it is empty.
click $LOSE_RETURN
click $HIGHSCORE
wait_for 'screen == 1' "the highscore screen"
shot records
[ "$(colours "$SHOTS/records.png" 800 270 110 30)" -gt 2 ] || fail "no score in the first line of the table"
click $PREVIOUS_TABLE
shot records_empty
[ "$(colours "$SHOTS/records_empty.png" 800 270 110 30)" -le 2 ] || fail "the first level's Hard table is not empty"
click $HIGHSCORE_RETURN

# The first level on Easy: no wave until Start, then wave 1.
click $LEVELS
wait_for 'screen == 6' "the level select again"
click $CARD_FIRST
click $EASY
click $PLAY_LEVEL
wait_for 'screen == 4 && running == 1 && level == "game.tmj" && difficulty == 0 && held == 1' "the first level on Easy"
wait_clock 2
trace_is 'wave == 0 && held == 1' || fail "a wave began before Start"
shot easy_waiting
click $START_WAVE
wait_for 'held == 0 && wave == 1' "wave 1 after Start"
shot easy_started
xdotool key --window "$W" Escape
wait_for 'paused == 1' "the pause"
click $LEAVE_GAME
wait_for 'screen == 0' "the main menu"
click $EXIT
e2e_wait_exit
cmp -s "$WORK/highscore.before" "$WORK/assets/highscore.json" || fail "highscore.json changed"
echo "PASS"
