#!/usr/bin/env bash
# A short game past six digits that nobody defends, read through the game's own account of its
# screen (trace_texts):
#   - when an enemy reaches the keep, a short "-20" shows at the keep (the bars' flash beside it is
#     judged in the HUD's own tests, frame by frame);
#   - the lose screen speaks of the keep, never of a "Base", and lays its account out so that no
#     text wraps or is cut, with this game's six-digit gold and score and a six-digit record to beat
#     shown whole.
# Usage: keep_and_lose.sh GAME SOURCE_DIR SHOT_DIR
set -u

NO_DISPLAY=75
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
SOURCE=$2
SHOTS=$3

e2e_scratch "$SOURCE"
cp "$SOURCE/tests/data/ui/short_game.tmj" "$WORK/assets/game.tmj"
# A record this game does not beat, six digits long.
printf '{ \n"name" : "Old Guard", \n"score" : 987654, \n"wave" : 12\n }' >"$WORK/assets/highscore.json"
printf '{"hintsDone": ["chooseTower", "buildInBend", "restOnTower", "speedAndPause"]}' >"$WORK/assets/settings.json"
rm -f "$SHOTS"/*.png
export VARNHOLD_START_COUNTERS="123456 654321"
e2e_start_game "$GAME"

click 640 260
xdotool type --window "$W" --delay 40 "Nobody"
click 640 328
wait_for 'screen == 4 && running == 1' "a game after Play"
hand_move 640 700
shot whole
FULL=$(trace_value keep)

# The first enemy at the keep: its loss shows there.
wait_for "keep < $FULL" "an enemy at the keep"
read_texts
shot hit
HIT=$(text_of KeepHitText)
[[ "$HIT" =~ ^-[0-9][0-9,]*$ ]] || problem "the keep's loss shows as '$HIT'"

wait_for 'screen == 5' "the lose screen"
wait_frames 3
read_texts
shot lost
cp "$WORK/texts.txt" "$SHOTS/lose_texts.txt"
BASE=$(grep -i 'base' "$WORK/texts.txt")
[ -z "$BASE" ] || problem "the lose screen speaks of a base: $BASE"
case "$(text_of KeepFellText)" in
"The keep fell in wave "[0-9]*) ;;
*) problem "the lose screen says: '$(text_of KeepFellText)'" ;;
esac
[ "$(text_of MoneyText)" = "123,456" ] || problem "gold on the lose screen: '$(text_of MoneyText)'"
[ "$(text_of ScoreText)" = "654,321" ] || problem "score on the lose screen: '$(text_of ScoreText)'"
[ "$(text_of OldHighscoreScoreText)" = "987,654" ] || problem "the record: '$(text_of OldHighscoreScoreText)'"
WRAPPED=$(wrapped_texts)
[ -z "$WRAPPED" ] || problem "texts wrap or are cut on the lose screen: $WRAPPED"
finish
