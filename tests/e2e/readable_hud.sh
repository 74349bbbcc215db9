#!/usr/bin/env bash
# The HUD of a game past six digits, played by a hand and a hurried hand, read through the game's
# own account of its screen (trace_texts):
#   - the counters show every digit, grouped, on one line;
#   - with a tower chosen, no preview shows under the top bar when the pointer is on it;
#   - no click on grass is lost to what comes in the same frame: a click on grass and then on
#     the tower's button builds (and chooses again), and the button and then grass under the
#     open card of a tower builds too;
#   - a card opened by a click hides no other tower, so the next click upgrades the neighbour;
#   - the small rocket tower's card says its next upgrade only changes the look;
#   - resting on a HUD tower button shows its card, resting on an enemy shows the enemy's, and
#     the bar says what the running wave still holds.
# "The same frame" is made sure of by stopping the game while the hand acts (SIGSTOP): what it
# sent waits in the X queue and arrives in one poll once the game goes on.
# Usage: readable_hud.sh GAME SOURCE_DIR SHOT_DIR
set -u

NO_DISPLAY=75
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
SOURCE=$2
SHOTS=$3

e2e_scratch "$SOURCE"
# The first games' hints are done: nothing of theirs on the field.
printf '{"hintsDone": ["chooseTower", "buildInBend", "restOnTower", "speedAndPause"]}' >"$WORK/assets/settings.json"
rm -f "$SHOTS"/*.png
export VARNHOLD_START_COUNTERS="123456 654321"
e2e_start_game "$GAME"

PLAY="640 328"; NAME_FIELD="640 260"; BULLET_TOWER="926 40"; SMALL_ROCKET="1026 40"
T="300 330"           # a tower in the first bend
U="540 400"           # beside it, where its card used to open
V="800 480"           # grass between two legs
R="620 200"           # grass above the second leg
ON_BAR="690 74"       # the top bar itself, between its widgets

# In one poll: the game stops, the hand acts, the game goes on.
same_frame() { # xdotool arguments...
    kill -STOP "$GAME_PID"
    xdotool "$@"
    kill -CONT "$GAME_PID"
    settle
}
key() {
    xdotool key --window "$W" "$1"
    settle
}

click $NAME_FIELD
xdotool type --window "$W" --delay 40 "Readable"
click $PLAY
wait_for 'screen == 4 && running == 1' "a game after Play"
wait_frames 3

# Six-digit counters, whole and grouped, each on its one line.
read_texts
[ "$(text_of MoneyText)" = "123,456" ] || problem "gold shows '$(text_of MoneyText)'"
[ "$(text_of ScoreText)" = "654,321" ] || problem "score shows '$(text_of ScoreText)'"
CUT=$(wrapped_texts | grep -E '^(MoneyText|ScoreText):')
[ -z "$CUT" ] || problem "a counter does not fit its box: $CUT"

# The pointer on the top bar with a tower chosen: the field under the bar looks as without one.
hand_move 640 700
hand_move $ON_BAR
shot bar_plain
key 1
hand_move $ON_BAR
shot bar_chosen
region_differs "$SHOTS/bar_plain.png" "$SHOTS/bar_chosen.png" 560 84 260 150 &&
    problem "a preview shows under the top bar"

# Grass, then the button again for the next tower, in one frame: built, and chosen again.
hand_move 640 700
key Escape
key 1
[ "$(trace_value selected)" = 1 ] || fail "key 1 chose nothing"
read -r TX TY <<<"$T"
same_frame mousemove --window "$W" $TX $TY click 1 mousemove --window "$W" ${BULLET_TOWER% *} ${BULLET_TOWER#* } click 1
wait_frames 2
[ "$(trace_value towers)" = 1 ] || problem "a click on grass followed by the button built nothing"
[ "$(trace_value selected)" = 1 ] || problem "the button pressed after the click left $(trace_value selected) chosen"
# (Built by a hand if the hurried one built nothing, for the checks after this one.)
[ "$(trace_value towers)" = 1 ] || { [ "$(trace_value selected)" = 1 ] || key 1; click $T; }
[ "$(trace_value selected)" = 0 ] || key Escape

# Resting on the tower opens its card; the button and then grass under the card, in one frame.
hand_move $T
wait_clock 0.6
read_texts
[ "$(text_of CardTitle)" = "Bullet tower, level 1" ] || fail "no card on the tower: '$(text_of CardTitle)'"
read -r UX UY <<<"$U"
same_frame mousemove --window "$W" ${BULLET_TOWER% *} ${BULLET_TOWER#* } click 1 mousemove --window "$W" $UX $UY click 1
wait_frames 2
[ "$(trace_value towers)" = 2 ] || problem "the button and then grass under the card built nothing"
[ "$(trace_value towers)" = 2 ] || { hand_move 640 700; [ "$(trace_value selected)" = 1 ] || key 1; click $U; }
[ "$(trace_value selected)" = 0 ] || key Escape

# A click upgrades the first tower and opens its card; the next click is for its neighbour.
hand_move 640 700
wait_clock 0.6
SPENT=$(trace_value spent) # the gold spent, which a kill meanwhile does not change
click $T
read_texts
[ "$(text_of CardTitle)" = "Bullet tower, level 2" ] || fail "no card after the upgrade: '$(text_of CardTitle)'"
click $U
wait_frames 2
[ "$(trace_value spent)" -eq $((SPENT + 150)) ] || problem "two upgrades cost $(($(trace_value spent) - SPENT)) gold, not 150"

# The small rocket tower's next upgrade changes only its look, and its card says so.
hand_move 640 700
key 2
click $R
[ "$(trace_value towers)" = 3 ] || fail "no small rocket tower at $R"
hand_move 640 700
hand_move $R
wait_clock 0.6
read_texts
CARD=$(text_of CardText)
case "$CARD" in
*"new look, same figures"*) ;;
*) problem "the small rocket tower's card says: $CARD" ;;
esac

# Before buying: the card of a HUD tower button.
hand_move $SMALL_ROCKET
wait_clock 0.6
read_texts
[ "$(text_of CardTitle)" = "Small rocket tower" ] || problem "no card on the button: '$(text_of CardTitle)'"
case "$(text_of CardText)" in
*"Price: 150 gold"*) ;;
*) problem "the button's card says: $(text_of CardText)" ;;
esac

# What the wave still holds, and an enemy's card while the hand follows it.
case "$(text_of NextWaveText)" in
*" to come" | *"wave in "*) ;;
*) problem "the bar says of the wave: $(text_of NextWaveText)" ;;
esac
SEEN=
for attempt in 1 2 3 4 5 6; do
    wait_for 'enemies != "-"' "an enemy"
    ENEMY=$(trace_value enemies | cut -d, -f1)
    EX=$(echo "$ENEMY" | cut -d: -f2 | cut -d. -f1)
    EY=$(echo "$ENEMY" | cut -d: -f3 | cut -d. -f1)
    xdotool mousemove --window "$W" "$EX" "$EY"
    wait_clock 0.25
    read_texts
    [ "$(text_of EnemyCardTitle)" = "Weak enemy" ] && SEEN=1 && break
done
[ -n "$SEEN" ] || fail "no enemy card after six tries"
case "$(text_of EnemyCardText)" in
*"Hit points: "*" / "*"gold"*) ;;
*) problem "the enemy's card says: $(text_of EnemyCardText)" ;;
esac
shot enemy_card
finish
