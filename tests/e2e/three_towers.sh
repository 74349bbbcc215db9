#!/usr/bin/env bash
# The shipped level with three bullet towers, built as players build them, until the keep falls:
#   one tower by a hand (small steps, a rest, the preview checked under the pointer before the
#   click), two by a hurried hand (a jump onto the HUD's button and a click at once, then a jump
#   onto grass and a click at once). All three stand where they were clicked and the start money
#   pays for exactly them (none hides under the HUD). The towers keep killing: the score changes
#   on screen again and again, and the record the lost game leaves holds a score that only kills
#   across the first waves reach.
# Usage: three_towers.sh GAME READ_RECORD SOURCE_DIR SHOT_DIR
set -u

NO_DISPLAY=75
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
READ_RECORD=$2
SOURCE=$3
SHOTS=$4

e2e_scratch "$SOURCE"
# A record anyone beats, so the lost game writes its own.
printf '{ \n"name" : "", \n"score" : 0, \n"wave" : 0\n }' >"$WORK/assets/highscore.json"
rm -f "$SHOTS"/*.png
e2e_start_game "$GAME"

PLAY="640 328"; NAME_FIELD="640 260"; BULLET_TOWER="926 40"
SCORE_BOX="176 12 156 56"
# Grass beside the road: in the first bend, above the second leg, beside the third.
A="300 330"; B="620 200"; C="800 480"
ROAD="460 400" # the second leg of the road, going down

tower_at() { # picture x y: the tower's platform covers the spot, the grass 40 pixels away is untouched
    region_differs "$SHOTS/empty.png" "$1" $(( $2 - 4 )) $(( $3 - 4 )) 8 8 || return 1
    ! region_differs "$SHOTS/empty.png" "$1" $(( $2 + 40 )) $(( $3 - 4 )) 4 8
}

click $NAME_FIELD
xdotool type --window "$W" --delay 40 "Three Towers"
click $PLAY
wait_for 'screen == 4 && running == 1' "a game after Play"
hand_move 640 700
shot empty

channel() { # "r g b" index -> that channel, whole
    local c=($1)
    printf '%.0f' "${c[$2]}"
}
# The hand: choose, rest on the road first (the preview says no: a red reach and a red cross;
# a click there builds nothing), then over the grass, rest, look, click.
click $BULLET_TOWER
hand_move $ROAD
shot refused
read -r RX RY <<<"$ROAD"
CROSS=$(pixel "$SHOTS/refused.png" "$RX" "$RY")
near "$CROSS" 200 40 35 40 || fail "no red cross over the road: $CROSS"
[ "$(channel "$(pixel "$SHOTS/refused.png" $(( RX + 60 )) "$RY")" 0)" -gt \
  "$(( $(channel "$(pixel "$SHOTS/empty.png" $(( RX + 60 )) "$RY")" 0) + 10 ))" ] ||
    fail "the reach around the road is not tinted red"
xdotool click 1
settle
hand_move $A
shot preview
region_differs "$SHOTS/empty.png" "$SHOTS/preview.png" $(( ${A% *} - 4 )) $(( ${A#* } - 4 )) 8 8 ||
    fail "no build preview under the pointer at $A"
read -r AX AY <<<"$A"
[ "$(channel "$(pixel "$SHOTS/preview.png" $(( AX + 60 )) "$AY")" 0)" -lt \
  "$(channel "$(pixel "$SHOTS/empty.png" $(( AX + 60 )) "$AY")" 0)" ] ||
    [ "$(channel "$(pixel "$SHOTS/preview.png" $(( AX + 60 )) "$AY")" 1)" -gt \
      "$(channel "$(pixel "$SHOTS/empty.png" $(( AX + 60 )) "$AY")" 1)" ] ||
    fail "the reach on the grass is not tinted green"
xdotool click 1
settle
# The hurried hand, twice.
for spot in "$B" "$C"; do
    hurried_click $BULLET_TOWER
    sleep 0.05
    hurried_click $spot
    settle
done
hand_move 640 700
shot built
for spot in "$A" "$B" "$C"; do
    tower_at "$SHOTS/built.png" $spot || fail "no tower centred at $spot"
done

# Until the keep falls (a game that never ends is a hung one), then the score as the game kept it:
# it must have changed again and again, from one ten-second span of the game's time to the next.
HANG_CEILING=900 wait_for 'screen == 5' "lose screen"
shot lost
CHANGES=$(awk '
    { for (i = 1; i < NF; i += 2) f[$i] = $(i + 1) }
    f["running"] == 1 {
        span = int(f["time"] / 10)
        if (!seen || span != last) { if (seen && f["score"] != score) changes++; score = f["score"]; last = span; seen = 1 }
        end = f["time"]
    }
    END { printf "%d %.0f\n", changes, end }' "$TRACE")
read -r CHANGES LASTED <<<"$CHANGES"
echo "the keep fell after $LASTED s of the game's time; the score changed in $CHANGES ten-second spans"
[ "$CHANGES" -ge 3 ] || fail "the score changed in only $CHANGES ten-second spans"

PARSED=$("$READ_RECORD" "$WORK/assets/highscore.json") || fail "no readable record: $PARSED"
SCORE=$(echo "$PARSED" | sed -n 3p)
echo "record: $(echo "$PARSED" | tr '\n' ' ')"
# Wave 1 alone is worth 100 (ten weak enemies of 10 each): more is kills in later waves. How many
# more depends on the frames a busy machine stretched (130 was seen under a load of 15, 150 and more
# on a quiet one), so the test asks only that the towers went on killing past the first wave.
[ "$SCORE" -gt 100 ] || fail "score $SCORE"
echo "PASS"
