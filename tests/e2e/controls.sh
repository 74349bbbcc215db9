#!/usr/bin/env bash
# The player's controls in the real game, on a level with one straight road (enemies walk it from
# the left edge to the keep at the right), on a screen larger than the window:
#   run 1: the name typed at once and Enter plays; F doubles the enemies' speed and the speed
#   button shows it; P freezes the picture and P again lets it move; 1 shows the build preview and
#   Escape or a right click drops it; 1 and a click on grass build a bullet tower, heard in the
#   game's sound output; in the pause overlay's settings the volume goes down to 0; Leave game
#   goes back to the menu without touching the record.
#   run 2 (a restart): the name is offered and the volume is still 0, so building is silent;
#   fullscreen turned on from the pause overlay fills the screen with the picture letterboxed and
#   clicks land where they are aimed; fullscreen turned off gives the window back.
# Usage: controls.sh GAME SOURCE_DIR SHOT_DIR
set -u

NO_DISPLAY=75
E2E_SCREEN=1440x1000
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
SOURCE=$2
SHOTS=$3

e2e_scratch "$SOURCE"
cp "$SOURCE/tests/data/maps/straight.tmj" "$WORK/assets/game.tmj"
rm -f "$WORK/assets/settings.json" "$SHOTS"/*.png
# A record that any lost game would rewrite (a score of 0 is at least 0).
RECORD='{ 
"name" : "Keeper", 
"score" : 0, 
"wave" : 0
 }'
printf '%s' "$RECORD" >"$WORK/assets/highscore.json"

# Window pixels (the windowed game sits at the screen's corner).
PLAY="640 328"; EXIT="640 577"
RESUME="640 332"; PAUSE_SETTINGS="640 398"; LEAVE="640 476"
VOLUME_DOWN="730 265"; FULLSCREEN="640 329"; SETTINGS_BACK="640 525"
SPEED_BOX="404 12 60 56"; GOLD_BOX="12 12 156 56"; WORLD_BOX="0 82 1280 638"
SPOT="640 620"; SPOT2="300 620"
# The tower card at SPOT opens to the tower's right.
CARD_TEXT="696 480 240 120"; CARD_UPGRADE="752 687"; CARD_SELL="876 687"

key() { xdotool key --window "$W" "$1"; settle; }
tower_at() { # picture x y: something stands on the spot, the grass 40 pixels away is untouched
    region_differs "$SHOTS/empty.png" "$1" $(( $2 - 4 )) $(( $3 - 4 )) 8 8 || return 1
    ! region_differs "$SHOTS/empty.png" "$1" $(( $2 + 40 )) $(( $3 - 4 )) 4 8
}
amplitude() { # wav file -> its largest sample
    sox "$1" -n stat 2>&1 | sed -n 's/^Maximum amplitude: *//p'
}

# ---- run 1
SOUND_FILE="$WORK/run/sound1.wav"
e2e_start_game "$GAME"
# The name field has the keyboard from the start; Enter plays.
xdotool type --window "$W" --delay 40 "Keys"
key Return
xdotool mousemove --window "$W" 640 700
wait_for 'screen == 4 && running == 1' "a game after Enter"
shot empty
near "$(pixel "$SHOTS/empty.png" 700 54)" 63 163 77 30 || fail "Enter in the name field did not start the game"

# How fast the enemies walk at 1x, 2x and 3x (F steps through them), from the game's own trace:
# each enemy is followed by its id from frame to frame once it has walked long enough to be at full
# pace, and its path in one frame over that frame's time (the game's clock, which every step of the
# frame uses) is one sample of its pace. A pace is the upper quartile of a speed's samples: an
# enemy turning at a waypoint stops for a step and starts again, and a frame that a busy machine
# stretched makes that turn longer, so the frames of full pace on a straight leg are what the
# speeds share. Three rounds of the three speeds, so that each speed sees the machine as busy as
# the others do.
wait_for 'enemies != "-" && time >= 2' "an enemy on the road"
shot running
for round in 1 2 3; do
    for speed in 2 3 1; do
        wait_clock 1.5
        key f
        wait_for "speed == $speed" "${speed}x after F"
        if [ "$round$speed" = 12 ]; then
            shot fast
            region_differs "$SHOTS/running.png" "$SHOTS/fast.png" $SPEED_BOX ||
                fail "the speed button did not change on F"
        fi
    done
done
awk '
    { for (i = 1; i < NF; i += 2) f[$i] = $(i + 1) }
    {
        n = f["enemies"] == "-" ? 0 : split(f["enemies"], list, ",")
        delete now
        for (k = 1; k <= n; k++) {
            split(list[k], e, ":")
            if (!(e[1] in born)) born[e[1]] = f["time"]
            if (e[1] in x && f["paused"] == 0 && f["time"] - born[e[1]] > 1.2 && f["clock"] > before)
                print f["speed"], sqrt((e[2] - x[e[1]]) ^ 2 + (e[3] - y[e[1]]) ^ 2) / (f["clock"] - before)
            now[e[1]] = 1; x2[e[1]] = e[2]; y2[e[1]] = e[3]
        }
        delete x; delete y
        for (id in now) { x[id] = x2[id]; y[id] = y2[id] }
        before = f["clock"]
    }' "$TRACE" | sort -k1,1n -k2,2g >"$WORK/paces.txt"
read -r R2 R3 < <(awk '
    { sample[$1, ++count[$1]] = $2 }
    END {
        for (s = 1; s <= 3; s++) {
            pace[s] = count[s] ? sample[s, int(count[s] * 3 / 4) + 1] : 0
            printf "%dx: %.1f px a second at the upper quartile of %d samples\n", s, pace[s], count[s] > "/dev/stderr"
        }
        if (pace[1] > 0) printf "%.3f %.3f\n", pace[2] / pace[1], pace[3] / pace[1]
        else print "0 0"
    }' "$WORK/paces.txt")
echo "enemies at 2x walk $R2 times and at 3x $R3 times as fast as at 1x"
awk -v r="$R2" 'BEGIN { exit !(r > 1.8 && r < 2.2) }' || fail "at 2x the enemies walked $R2 times as fast"
awk -v r="$R3" 'BEGIN { exit !(r > 2.7 && r < 3.3) }' || fail "at 3x the enemies walked $R3 times as fast"

# P freezes the world's picture; P again lets it move.
shot running
key p
wait_for 'paused == 1' "a pause after P"
shot paused1
PAUSED_AT=$(trace_value time)
wait_clock 1
shot paused2
trace_is "time == $PAUSED_AT" || fail "the game's time went on while paused"
region_differs "$SHOTS/paused1.png" "$SHOTS/paused2.png" $WORLD_BOX && fail "the picture moved while paused"
region_differs "$SHOTS/running.png" "$SHOTS/paused1.png" 452 220 376 60 || fail "no pause overlay"
key p
wait_for 'paused == 0' "the game going on after P again"
wait_clock 0.7
shot resumed
region_differs "$SHOTS/paused2.png" "$SHOTS/resumed.png" $WORLD_BOX || fail "the picture stayed after P again"

# 1 shows the preview at the pointer; Escape drops it, and so does a right click.
hand_move $SPOT
for drop in Escape right_click; do
    key 1
    shot selected
    region_differs "$SHOTS/empty.png" "$SHOTS/selected.png" $(( ${SPOT% *} - 4 )) $(( ${SPOT#* } - 4 )) 8 8 ||
        fail "no build preview after 1"
    if [ $drop = Escape ]; then key Escape; else xdotool click 3; settle; fi
    shot dropped
    region_differs "$SHOTS/empty.png" "$SHOTS/dropped.png" $(( ${SPOT% *} - 4 )) $(( ${SPOT#* } - 4 )) 8 8 &&
        fail "$drop did not drop the selection"
done
region_differs "$SHOTS/paused1.png" "$SHOTS/dropped.png" 452 220 376 60 ||
    fail "Escape with a selection paused the game"

# 1 and a click on grass build a bullet tower, paid for.
key 1
xdotool click 1
settle
hand_move 640 700
shot built
tower_at "$SHOTS/built.png" $SPOT || fail "no tower at $SPOT after 1 and a click"
region_differs "$SHOTS/empty.png" "$SHOTS/built.png" $GOLD_BOX || fail "the gold did not change"

# Resting on the tower opens its card beside it; the card's Upgrade pays and changes its numbers;
# Sell gives gold back and frees the ground, where 1 and a click build again.
hand_move $SPOT
wait_clock 0.6
shot card
region_differs "$SHOTS/built.png" "$SHOTS/card.png" $CARD_TEXT || fail "no card after resting on the tower"
click $CARD_UPGRADE
shot upgraded
region_differs "$SHOTS/card.png" "$SHOTS/upgraded.png" $CARD_TEXT || fail "the card's numbers did not change"
region_differs "$SHOTS/card.png" "$SHOTS/upgraded.png" $GOLD_BOX || fail "the upgrade was not paid"
click $CARD_SELL
hand_move 640 700
wait_clock 0.6
shot sold
region_differs "$SHOTS/upgraded.png" "$SHOTS/sold.png" $GOLD_BOX || fail "selling gave no gold"
region_differs "$SHOTS/empty.png" "$SHOTS/sold.png" $(( ${SPOT% *} - 30 )) $(( ${SPOT#* } - 30 )) 60 60 &&
    fail "the sold tower still stands"
key 1
click $SPOT
hand_move 640 700
wait_clock 0.6
shot rebuilt
tower_at "$SHOTS/rebuilt.png" $SPOT || fail "no new tower where the sold one stood"

# The volume to 0 in the pause overlay's settings, then leave the game.
key p
click $PAUSE_SETTINGS
hand_move $VOLUME_DOWN
for _ in $(seq 1 10); do
    xdotool click 1; settle
done
click $SETTINGS_BACK
click $LEAVE
shot menu
click $EXIT
e2e_wait_exit
[ "$(cat "$WORK/assets/highscore.json")" = "$RECORD" ] || fail "leaving the game touched the record"
grep -q '"volume": 0' "$WORK/assets/settings.json" || fail "volume 0 not kept: $(cat "$WORK/assets/settings.json")"
grep -q '"name": "Keys"' "$WORK/assets/settings.json" || fail "the name is not kept"
LOUD=$(amplitude "$SOUND_FILE")
echo "run 1: largest sample $LOUD"
awk -v a="$LOUD" 'BEGIN { exit !(a > 0.01) }' || fail "nothing heard at full volume"

# ---- run 2: the settings came back.
SOUND_FILE="$WORK/run/sound2.wav"
e2e_start_game "$GAME"
key Return
xdotool mousemove --window "$W" 640 700
wait_for 'screen == 4 && running == 1' "a game after Enter"
shot empty
near "$(pixel "$SHOTS/empty.png" 700 54)" 63 163 77 30 || fail "the offered name did not play on Enter"
key 1
click $SPOT2
# Away from the tower, so that its card (opened by resting on it) has closed.
hand_move 640 700
wait_clock 0.6
shot built2
tower_at "$SHOTS/built2.png" $SPOT2 || fail "no tower at $SPOT2"
wait_clock 1.5

# Escape with nothing selected pauses; the settings there turn fullscreen on.
key Escape
click $PAUSE_SETTINGS
click $FULLSCREEN
e2e_find_window 1440x1000
GEOMETRY=$(xdotool getwindowgeometry "$W" | sed -n 's/^ *Geometry: //p')
[ "$GEOMETRY" = "1440x1000" ] || fail "fullscreen window is $GEOMETRY"
shot fullscreen
# 1440 x 810 of picture between two bars of 95 rows.
near "$(pixel "$SHOTS/fullscreen.png" 720 40)" 0 0 0 0 || fail "no bar above the picture"
near "$(pixel "$SHOTS/fullscreen.png" 720 960)" 0 0 0 0 || fail "no bar below the picture"
not_black "$SHOTS/fullscreen.png" || fail "the fullscreen picture is black"
at() { # world x y -> screen x y
    echo "$(( $1 * 9 / 8 )) $(( 95 + $2 * 9 / 8 ))"
}
# Back and Resume where the letterboxed picture shows them, then a tower where it is aimed.
click $(at $SETTINGS_BACK)
click $(at $RESUME)
hand_move 720 990
shot fs_empty
region_differs "$SHOTS/fullscreen.png" "$SHOTS/fs_empty.png" $(at 452 220) 420 60 || fail "the overlay stayed"
key 1
click $(at 900 620)
hand_move 720 990
shot fs_built
read -r SX SY <<<"$(at 900 620)"
region_differs "$SHOTS/fs_empty.png" "$SHOTS/fs_built.png" $(( SX - 4 )) $(( SY - 4 )) 8 8 ||
    fail "no tower where the fullscreen click aimed"
region_differs "$SHOTS/fs_empty.png" "$SHOTS/fs_built.png" $(( SX + 45 )) $(( SY - 4 )) 4 8 &&
    fail "the fullscreen tower is not centred where the click aimed"

# And back to a window.
key p
click $(at $PAUSE_SETTINGS)
click $(at $FULLSCREEN)
e2e_find_window 1280x720
xdotool windowmove "$W" 0 0
wait_frames 3
GEOMETRY=$(xdotool getwindowgeometry "$W" | sed -n 's/^ *Geometry: //p')
[ "$GEOMETRY" = "1280x720" ] || fail "the window came back as $GEOMETRY"
click $SETTINGS_BACK
click $LEAVE
click $EXIT
e2e_wait_exit
grep -q '"fullscreen": false' "$WORK/assets/settings.json" || fail "fullscreen off not kept"
QUIET=$(amplitude "$SOUND_FILE")
echo "run 2: largest sample $QUIET"
awk -v a="$QUIET" 'BEGIN { exit !(a == 0) }' || fail "the game was heard at volume 0"
echo "PASS"
