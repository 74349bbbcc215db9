#!/usr/bin/env bash
# The scripted player in the real game: the build order that varnhold_playtest works out from the
# level's map, played by xdotool in the real binary at 3x on its own X display, every step waiting
# on the game's frame trace. Run by hand (a game lasts minutes), from the build folder:
#   ../tools/playtest/play_real.sh LEVEL DIFFICULTY PLAYER [LAST_WAVE]
#   e.g. ../tools/playtest/play_real.sh game.tmj easy new 16
# LEVEL is a level's file ("game.tmj", "1-twin-gates.tmj"...), DIFFICULTY easy|normal|hard, PLAYER
# new|good (see tools/playtest/Playtest.cpp). Prints one line: the wave in which the keep fell, or
# that it still stood when LAST_WAVE (16 unless given) began. The game is played in a scratch copy
# of the assets, so no record of the player's is touched.
set -u

NO_DISPLAY=75
HERE=$(cd "$(dirname "$0")" && pwd)
SOURCE=$(cd "$HERE/../.." && pwd)
BUILD=$(pwd)
. "$SOURCE/tests/e2e/lib.sh"
e2e_own_display "$0" "$@"

LEVEL=$1
DIFFICULTY=$2
PLAYER=$3
LAST_WAVE=${4:-16}
# A game of many waves at 3x runs for many minutes: the ceiling only ends a hung game.
HANG_CEILING=${HANG_CEILING:-600}

WORK=$(mktemp -d /tmp/varnhold-playtest.XXXXXX)
SHOTS=$WORK/shots
trap e2e_cleanup EXIT
mkdir -p "$WORK/run" "$SHOTS"
cp -r "$SOURCE/assets" "$WORK/assets"
rm -f "$WORK/assets/records.json"

ORDERS=$(cd "$BUILD" && ./varnhold_playtest orders "$LEVEL" "$PLAYER") || fail "no build order for $LEVEL"
[ -n "$ORDERS" ] || fail "an empty build order for $LEVEL"

# Where the levels are listed on the select: the first level, then assets/levels/ by file name;
# four cards to a row.
INDEX=0
for file in game.tmj $(cd "$WORK/assets/levels" && ls -- *.tmj); do
    [ "$file" = "$LEVEL" ] && break
    INDEX=$((INDEX + 1))
done
CARD_X=$((40 + (INDEX % 4) * 305 + 142))
CARD_Y=$((84 + (INDEX / 4) * 248 + 116))
case $DIFFICULTY in
easy) CHOICE="245 616"; NUMBER=0 ;;
normal) CHOICE="385 616"; NUMBER=1 ;;
hard) CHOICE="525 616"; NUMBER=2 ;;
*) fail "no difficulty $DIFFICULTY" ;;
esac

e2e_start_game "$BUILD/Varnhold"

click 640 260
xdotool type --window "$W" --delay 40 "Scripted $PLAYER"
click 756 328
wait_for 'screen == 6' "the level select"
# The difficulty, then the card: a click on the card already chosen plays it, on another one
# chooses it and Play plays it.
click $CHOICE
click "$CARD_X" "$CARD_Y"
trace_is 'screen == 6' && click 1111 616
wait_for "screen == 4 && running == 1 && level == \"$LEVEL\" && difficulty == $NUMBER" "$LEVEL on $DIFFICULTY"
xdotool key --window "$W" f
wait_for 'speed == 2' "2x"
xdotool key --window "$W" f
wait_for 'speed == 3' "3x"
hand_move 640 700

over() { trace_is "screen != 4 || running == 0 || wave >= $LAST_WAVE"; }
done_orders=0
refused=0
while read -r what price x y; do
    # Gold for it, or on Easy the Start button once the gold buys nothing more.
    until trace_is "money >= $price || screen != 4 || running == 0 || wave >= $LAST_WAVE"; do
        if trace_is 'held == 1'; then
            xdotool key --window "$W" n
            wait_for 'held == 0 || screen != 4' "the first wave after N"
        else
            wait_frames 5
        fi
    done
    over && break
    towers=$(trace_value towers)
    money=$(trace_value money)
    if [ "$what" = U ]; then
        # Nothing selected, then a click on the tower buys its next level.
        hand_move "$x" "$y"
        xdotool click 3
        settle
        xdotool click 1
        settle
        wait_frames 3
        trace_is "money < $money || screen != 4" || refused=$((refused + 1))
    else
        case $what in B) key=1 ;; S) key=2 ;; *) key=3 ;; esac
        xdotool key --window "$W" "$key"
        settle
        click "$x" "$y"
        wait_frames 3
        trace_is "towers > $towers || screen != 4" || refused=$((refused + 1))
    fi
    done_orders=$((done_orders + 1))
    # A player rests half a second of the game's time between two actions.
    wait_for 'time >= '"$(trace_value time)"' + 0.5 || held == 1 || screen != 4' "half a second of play"
done <<<"$ORDERS"
# Every order given: the player only waits now (on Easy, for nothing: Start once more).
xdotool key --window "$W" n
wait_for "screen != 4 || running == 0 || wave >= $LAST_WAVE" "the keep's fall or wave $LAST_WAVE"

wave=$(trace_value wave)
score=$(trace_value score)
if trace_is 'screen == 5 || running == 0'; then
    outcome="lost in wave $wave"
else
    outcome="still standing when wave $wave began"
fi
echo "$LEVEL $DIFFICULTY $PLAYER (real binary, 3x): $outcome, score $score," \
    "$(trace_value towers) towers, $done_orders of $(wc -l <<<"$ORDERS") orders ($refused refused)," \
    "$(trace_value time) s of game time"
import -window root "$BUILD/playtest-$LEVEL-$DIFFICULTY-$PLAYER.png" 2>/dev/null
