#!/usr/bin/env bash
# A watched soak of the real game in a real window: the shipped level with its keep raised to
# the most hit points a level may give (10,000,000), defended by a script that builds bullet
# towers as gold allows and then clicks them for upgrades. Every minute it writes one line:
# resident memory (VmRSS), the CPU the game used in that minute (all threads, and the main
# thread, whose work per frame at the capped 60 frames per second is the frame's cost), and
# whether the score box on screen changed (the score only grows). At the end it checks that the
# memory of the last minutes stays within 10% of the third minute's, that the CPU stays flat
# (no minute after the third above 1.5 times the third minute's), and that the score changed
# every minute. Nothing is read from the game itself: it may print nothing.
# Usage: soak_watch.sh GAME SOURCE_DIR OUT_DIR [MINUTES]
set -u

NO_DISPLAY=75
. "$(dirname "$0")/../e2e/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
SOURCE=$2
SHOTS=$3
MINUTES=${4:-30}

WORK=$(mktemp -d /tmp/varnhold-watch.XXXXXX)
trap e2e_cleanup EXIT
mkdir -p "$WORK/run" "$SHOTS"
cp -r "$SOURCE/assets" "$WORK/assets"
# The keep of the shipped level, raised: "name":"Health", "type":"float", "value":500
sed -i '/"name":"Health"/,/"value"/ s/"value":500/"value":10000000/' "$WORK/assets/game.tmj"
grep -q '"value":10000000' "$WORK/assets/game.tmj" || fail "could not raise the keep's health"
rm -f "$SHOTS"/*.png
e2e_start_game "$GAME"

PLAY="640 328"; NAME_FIELD="640 260"; BULLET_TOWER="926 40"
SCORE_BOX="232 12 200 56"
# Grass beside the road, bends first (where a tower reaches two legs of it), then along every leg,
# so that later waves, whose enemies grow stronger, still die on the way.
SPOTS=("300 330" "620 200" "800 480" "560 400" "980 300" "120 236" "320 600" "800 160" "1120 250"
       "560 600" "990 500" "300 440" "160 420" "280 250" "420 600" "545 320" "520 200" "765 330"
       "620 500" "800 640" "840 300" "980 120" "1060 500")

click $NAME_FIELD
xdotool type --window "$W" --delay 40 "Watched Soak"
click $PLAY
sleep 1

# The bullet tower's icon is drawn bright when its 50 gold are there.
affordable() {
    shot icon
    local rgb
    rgb=($(pixel "$SHOTS/icon.png" 906 30))
    [ ${#rgb[@]} -eq 3 ] && [ $(( ${rgb[0]%.*} + ${rgb[1]%.*} + ${rgb[2]%.*} )) -gt 300 ]
}

cpu_ticks() { # pid or pid/task/tid -> utime + stime in clock ticks
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}
HZ=$(getconf CLK_TCK)

built=0
next_upgrade=0
defend_for() { # seconds: build as gold allows, then upgrade the towers in turn
    local until=$((SECONDS + $1))
    while [ $SECONDS -lt $until ]; do
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during the soak"
        # A right click cancels a selection left over from a click that built nothing, so that
        # the tower button below selects instead of cancelling.
        hand_move 640 700
        xdotool click 3
        if [ $built -lt ${#SPOTS[@]} ]; then
            if affordable; then
                click $BULLET_TOWER
                click ${SPOTS[$built]}
                built=$((built + 1))
            fi
        elif [ $built -gt 0 ]; then
            click ${SPOTS[$next_upgrade]}
            next_upgrade=$(((next_upgrade + 1) % built))
        fi
        hand_move 640 700
        sleep 3
    done
}

echo "minute rss_kb cpu_percent main_thread_cpu_percent score_changed towers"
FIGURES="$SHOTS/figures.txt"
: >"$FIGURES"
shot minute_0
last_cpu=$(cpu_ticks "$GAME_PID")
last_main=$(cpu_ticks "$GAME_PID/task/$GAME_PID")
for minute in $(seq 1 "$MINUTES"); do
    started=$SECONDS
    defend_for 60
    elapsed=$((SECONDS - started))
    cpu=$(cpu_ticks "$GAME_PID")
    main=$(cpu_ticks "$GAME_PID/task/$GAME_PID")
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status")
    shot "minute_$minute"
    changed=no
    region_differs "$SHOTS/minute_$((minute - 1)).png" "$SHOTS/minute_$minute.png" $SCORE_BOX && changed=yes
    line="$minute $rss $(( (cpu - last_cpu) * 100 / HZ / elapsed )) $(( (main - last_main) * 100 / HZ / elapsed )) $changed $built"
    echo "$line" | tee -a "$FIGURES"
    last_cpu=$cpu
    last_main=$main
done
cp "$SHOTS/minute_$MINUTES.png" "$SHOTS/last.png"

# The third minute is the reference: the first two build the defence and fill the first waves.
awk -v minutes="$MINUTES" '
    NR == 3 { rss3 = $2; cpu3 = $4 }
    NR >= 3 && ($2 > rss3 * 1.10 || $2 < rss3 * 0.90) { print "memory off by more than 10% in minute " NR ": " $2 " kB"; bad = 1 }
    NR > 3 && $4 > cpu3 * 1.5 + 5 { print "main thread CPU rose in minute " NR ": " $4 "%"; bad = 1 }
    $5 != "yes" { print "the score did not change in minute " NR; bad = 1 }
    END { if (NR != minutes) { print "only " NR " of " minutes " minutes"; bad = 1 }; exit bad }
' "$FIGURES" || fail "the soak's figures are not flat"
echo "PASS"
