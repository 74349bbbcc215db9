#!/usr/bin/env bash
# Two scripted first-timers on the shipped level, each in several games of the real binary, and
# what they reach: the seconds of game time the keep stood and the wave it fell in.
#   hints:  follows the first games' hints only. When a hint shows (the trace's "hint" pair names
#           it and the point it concerns), it does what it says: presses 1 to choose the tower,
#           builds where it points, rests on the tower, presses F. Otherwise it waits.
#   random: does the same, except that it builds where a random click on the field lands (again
#           and again while the hint to build shows, as each refused click leaves it there).
# Both start each game with the hints all to come (no settings file) and the rules' 150 gold;
# they click like a hand (small steps, a rest, then the click). Long: it is run by hand, not by
# make test. Prints one line per game and the means.
# Usage: first_timer.sh GAME SOURCE_DIR [GAMES_EACH (5)] [SHOT_DIR]
set -u

NO_DISPLAY=75
. "$(dirname "$0")/lib.sh"
e2e_own_display "$0" "$@"

GAME=$1
SOURCE=$2
GAMES=${3:-5}
SHOTS=${4:-$(mktemp -d /tmp/varnhold-first-timer-shots.XXXXXX)}
HANG_CEILING=${HANG_CEILING:-600}
WORK=
mkdir -p "$SHOTS"

# One game by one player; prints "player seconds wave towers".
play() { # player
    WORK=$(mktemp -d /tmp/varnhold-first-timer.XXXXXX)
    mkdir -p "$WORK/run"
    cp -r "$SOURCE/assets" "$WORK/assets"
    rm -f "$WORK/assets/settings.json"
    printf '{ \n"name" : "", \n"score" : 0, \n"wave" : 0\n }' >"$WORK/assets/highscore.json"
    e2e_start_game "$GAME"
    click 640 260
    xdotool type --window "$W" --delay 40 "$1"
    click 640 328
    wait_for 'screen == 4 && running == 1' "a game after Play"
    hand_move 640 700
    while ! trace_is 'screen == 5'; do
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended"
        local hint kind x y
        hint=$(trace_value hint)
        IFS=: read -r kind x y <<<"$hint"
        x=${x%.*}
        y=${y%.*}
        case "$kind" in
        1) xdotool key --window "$W" 1; settle ;;
        2)
            if [ "$1" = hints ]; then
                click "$x" "$y"
            else
                click $((24 + RANDOM % 1232)) $((96 + RANDOM % 600))
            fi
            hand_move 640 700
            ;;
        3) hand_move "$x" "$y"; wait_clock 0.6; hand_move 640 700 ;;
        4) xdotool key --window "$W" f; settle ;;
        *) wait_clock 0.3 ;;
        esac
    done
    shot "$1_$2_lost"
    awk -v who="$1" '{ for (i = 1; i < NF; i += 2) f[$i] = $(i + 1) }
        f["running"] == 1 { t = f["time"]; w = f["wave"]; n = f["towers"] }
        END { printf "%s %.1f %d %d\n", who, t, w, n }' "$TRACE"
    kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=
    rm -rf "$WORK"
}

RESULTS=$(mktemp /tmp/varnhold-first-timer-results.XXXXXX)
for game in $(seq "$GAMES"); do
    for player in hints random; do
        out=$(play "$player" "$game")
        line=$(tail -1 <<<"$out")
        if [[ "$line" =~ ^$player\ [0-9] ]]; then
            echo "game $game: $line"
            echo "$line" >>"$RESULTS"
        else # a game that failed is told and left out of the means
            echo "game $game: $player failed:"
            echo "$out" | head -20
        fi
    done
done
awk '{ s[$1] += $2; w[$1] += $3; t[$1] += $4; n[$1]++ }
     END { for (p in s) printf "%s: %d games, keep stood %.1f s of game time on average, fell in wave %.2f, %.1f towers\n",
                               p, n[p], s[p] / n[p], w[p] / n[p], t[p] / n[p] }' "$RESULTS"
rm -f "$RESULTS"
