#!/usr/bin/env bash
# Plays one short game with the real binary on its own X display and checks what a player sees
# and what the game leaves on disk:
#   menu -> Highscore/Controls/Credits and back -> type a name with " and \ -> Play -> pick the
#   bullet tower on the HUD -> build it -> the weak base falls -> lose screen (screenshot, colours)
#   -> back to the menu -> highscore screen (screenshot) -> Exit; exit status 0 and the record's
#   bytes. A killed game's temporary file planted beforehand must be gone once the window is up.
# Usage: play_lose_record.sh GAME READ_RECORD SOURCE_DIR SHOT_DIR
set -u

NO_DISPLAY=75
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
READ_RECORD=$2
SOURCE=$3
SHOTS=$4
NAME='Ann "Q" \ Lee'

WORK=$(mktemp -d /tmp/varnhold-e2e.XXXXXX)
trap e2e_cleanup EXIT

# run/ beside a copy of the assets with the short level as game.tmj.
mkdir -p "$WORK/run" "$SHOTS"
cp -r "$SOURCE/assets" "$WORK/assets"
cp "$SOURCE/tests/data/ui/short_game.tmj" "$WORK/assets/game.tmj"
rm -f "$SHOTS"/*.png

# A save cut short by a game that was killed: its temporary file must be gone once the game is up.
true &
DEAD_PID=$!
wait "$DEAD_PID"
STALE="$WORK/assets/.highscore.json.$DEAD_PID.0badf00d.tmp"
printf '{ \n"na' >"$STALE"

e2e_start_game "$GAME"
[ ! -e "$STALE" ] || fail "the killed game's temporary file is still there"

# Main-menu card: centred 420 x 436 at y 190 with a 2-pixel border.
NAME_FIELD="640 260"; PLAY="640 328"; HIGHSCORE="640 395"; CONTROLS="546 451"; CREDITS="640 507"; EXIT="640 577"
# The other screens' return buttons.
HIGHSCORE_RETURN="640 629"; CONTROLS_RETURN="640 559"; CREDITS_RETURN="640 495"; LOSE_RETURN="640 585"
BULLET_TOWER="926 40"; FREE_GROUND="900 300"

shot menu
not_black "$SHOTS/menu.png" || fail "the main menu is black"
# The Play button's gold, then the menu card's slate.
near "$(pixel "$SHOTS/menu.png" 500 328)" 200 162 74 12 || fail "no Play button at $PLAY: $(pixel "$SHOTS/menu.png" 500 328)"

# Through the three side screens and back; each time the menu must come back.
for way in "HIGHSCORE HIGHSCORE_RETURN" "CONTROLS CONTROLS_RETURN" "CREDITS CREDITS_RETURN"; do
    set -- $way
    click ${!1}
    shot "side_$1"
    near "$(pixel "$SHOTS/side_$1.png" 500 328)" 200 162 74 12 && fail "$1 did not leave the main menu"
    click ${!2}
    shot "back_$1"
    near "$(pixel "$SHOTS/back_$1.png" 500 328)" 200 162 74 12 || fail "$1's return button did not bring the menu back"
done

click $NAME_FIELD
xdotool type --window "$W" --delay 40 "$NAME"
shot named
click $PLAY
wait_for 'screen == 4 && running == 1' "a game after Play"
shot hud
click $BULLET_TOWER
shot selected
click $FREE_GROUND
shot built
# A tower stands where we clicked: the grass there has changed.
[ "$(pixel "$SHOTS/hud.png" 900 300)" != "$(pixel "$SHOTS/built.png" 900 300)" ] || fail "no tower at $FREE_GROUND"

# Wait for the base to fall: the lose card (slate, 720 x 540 at 280, 112) replaces the level.
wait_for 'screen == 5' "lose screen"
shot lose
not_black "$SHOTS/lose.png" || fail "the lose screen is black"
# Card background, the gold frame of the new-record box (AreaSmall) and its tinted inside.
near "$(pixel "$SHOTS/lose.png" 300 640)" 22 31 45 6 || fail "lose card: $(pixel "$SHOTS/lose.png" 300 640)"
near "$(pixel "$SHOTS/lose.png" 139 400)" 200 162 74 12 || fail "new-record frame: $(pixel "$SHOTS/lose.png" 139 400)"
near "$(pixel "$SHOTS/lose.png" 330 445)" 50 52 50 8 || fail "new-record box: $(pixel "$SHOTS/lose.png" 330 445)"

click $LOSE_RETURN
shot menu_again
near "$(pixel "$SHOTS/menu_again.png" 500 328)" 200 162 74 12 || fail "the lose screen's return button did not reach the menu"
click $HIGHSCORE
shot highscore
not_black "$SHOTS/highscore.png" || fail "the highscore screen is black"
near "$(pixel "$SHOTS/highscore.png" 380 560)" 22 31 45 6 || fail "highscore card: $(pixel "$SHOTS/highscore.png" 380 560)"
click $HIGHSCORE_RETURN
click $EXIT

e2e_wait_exit

RECORD="$WORK/assets/highscore.json"
cp "$RECORD" "$SHOTS/highscore.json"
LEFT=$(find "$WORK/assets" -maxdepth 1 -name '*.tmp')
[ -z "$LEFT" ] || fail "temporary files left: $LEFT"
# The name part byte for byte, the numbers by pattern, no line break at the end.
PREFIX=$(printf '{ \n"name" : "Ann \\"Q\\" \\\\ Lee", \n"score" : ')
CONTENT=$(cat "$RECORD"; printf x)
CONTENT=${CONTENT%x}
[ "${CONTENT:0:${#PREFIX}}" == "$PREFIX" ] || fail "record starts wrongly: $(od -c "$RECORD" | head -5)"
REST=${CONTENT:${#PREFIX}}
PATTERN=$'^(0|[1-9][0-9]*), \n"wave" : ([1-9][0-9]*)\n }$'
[[ "$REST" =~ $PATTERN ]] || fail "record ends wrongly: $(od -c "$RECORD" | tail -4)"
SCORE=${BASH_REMATCH[1]}
WAVE=${BASH_REMATCH[2]}
[ "$(tail -c 1 "$RECORD" | od -An -c | tr -d ' ')" == "}" ] || fail "line break at the end"

PARSED=$("$READ_RECORD" "$RECORD") || fail "the game's reader rejects the record: $PARSED"
EXPECTED=$(printf 'valid\n"Ann \\"Q\\" \\\\ Lee"\n%s\n%s' "$SCORE" "$WAVE")
[ "$PARSED" == "$EXPECTED" ] || fail "read back: $PARSED"

echo "record: score $SCORE, wave $WAVE, $(wc -c <"$RECORD") bytes"
od -c "$RECORD"
echo "PASS"
