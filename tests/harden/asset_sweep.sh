#!/usr/bin/env bash
# Starts the real game with one asset missing or damaged at a time and checks that it keeps
# running on what it could load, says what is wrong in one line on the stream the game uses for
# it, leaves a good highscore file alone (a game lost on a broken lose screen still saves its
# record), and still ends with status 0 through the exit button.
#
# Each variant runs the binary from run/ beside its own copy of assets/ with one change:
#   removed: the font, the 29 textures and 5 sounds of the asset table, the eight HUD icons;
#   removed and garbage: the seven form files, the map and the highscore file;
#   a map whose tileset is not in the asset table, with its image missing.
# Passes per variant (the main menu's buttons, the window moved to 0 0 first):
#   exit:  menu (-> highscore screen and back, for the highscore variants) -> Exit: status 0;
#   play:  menu -> Play -> a few seconds in the game -> still running -> ended by us;
#   visit: (broken side screens) menu -> that screen -> still running -> ended by us;
#   lose:  (broken lose screen, on a short level) play until the base falls -> still running.
# Without a main menu form only "still running" can be checked. Variants run in parallel, each
# worker on an X display of its own.
#
# Usage: asset_sweep.sh GAME SOURCE_DIR [WORKERS]
set -u
# Messages may quote the damaged bytes: grep must read them as text.
export LC_ALL=C

GAME=$1
SOURCE=$2
WORKERS=${3:-4}
# Seconds of the game's own clock spent in each game pass.
IN_GAME_SECONDS=${VARNHOLD_SWEEP_SECONDS:-3}
# Every wait is for what the game did, read from its trace; only a hung game meets the ceiling.
. "$(dirname "$0")/../e2e/trace.sh"

# Main-menu buttons (assets/mainMenu.txt: the card is centred, 420 wide, at y 190) and the return
# buttons of the side screens.
PLAY="640 328"; HIGHSCORE="640 395"; CONTROLS="546 451"; CREDITS="640 507"; EXIT="640 577"
LEVELS="756 328"; HIGHSCORE_RETURN="640 629"

TEXTURES="tilesheet.png base.png base2.png base3.png tower_platform_shape.png tower_platform.png
tower_1_shape.png tower_1_base.png tower_1_upgrade_1.png tower_1_upgrade_2.png tower_1_upgrade_3.png
tower_2_shape.png tower_2_empty.png tower_2_loaded_base.png tower_2_loaded_upgrade_1.png
tower_2_loaded_upgrade_2.png tower_2_loaded_upgrade_3.png tower_3_shape.png tower_3_empty.png
tower_3_loaded.png projectile_1.png projectile_2_base.png projectile_2_upgrade_1.png projectile_3.png
enemy_1.png enemy_2.png enemy_3.png enemy_4.png waypoint_debug.png"
SOUNDS="Cannon1.ogg pvc-rocket-cannon-90116.wav mixkit-construction-tool-box-829.wav
20130512_construction-area-i_zoom_h2nxy-87229.wav hurt_c_08-102842.wav"
# With the start money (150) the HUD shows these four icons; the other four are never read in
# the first seconds of a game, so their absence has nothing to report yet.
ICONS_SHOWN="hud_icon_bullet_tower_active.png hud_icon_rocket_tower_small_active.png
hud_icon_rocket_tower_big.png hud_life_repair_active.png"
ICONS_LATER="hud_icon_bullet_tower.png hud_icon_rocket_tower_small.png
hud_icon_rocket_tower_big_active.png hud_life_repair.png"
FORMS="mainMenu.txt hud.txt loseScreen.txt highscore.txt controls.txt credits.txt levelSelect.txt"

# One variant per line: NAME ACTION FILE
variants() {
    echo "font remove arial.ttf"
    for f in $TEXTURES; do echo "texture remove $f"; done
    for f in $SOUNDS; do echo "sound remove $f"; done
    for f in $ICONS_SHOWN; do echo "icon remove $f"; done
    for f in $ICONS_LATER; do echo "icon-later remove $f"; done
    for f in $FORMS; do echo "form remove $f"; echo "form garbage $f"; done
    echo "map remove game.tmj"
    echo "map garbage game.tmj"
    echo "tileset remove tilesheet.png"
    echo "highscore remove highscore.json"
    echo "highscore garbage highscore.json"
}

LOGS=$(mktemp -d /tmp/varnhold-sweep.XXXXXX)
trap 'rm -rf "$LOGS"' EXIT

# ---- one variant, inside a worker (DISPLAY set) ----
GAME_PID=
WINDOW=
start_game() { # pass name
    TRACE="$WORK/trace.$1"
    ( cd "$WORK/run" && exec env ALSOFT_DRIVERS=null VARNHOLD_TRACE="$TRACE" ./Varnhold >>"$WORK/out.$1" 2>>"$WORK/err.$1" ) &
    GAME_PID=$!
    WINDOW=
    local started=$SECONDS
    while [ -z "$WINDOW" ] && ((SECONDS - started < HANG_CEILING)); do
        WINDOW=$(xdotool search --name '^Varnhold' 2>/dev/null | head -1)
        kill -0 "$GAME_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    [ -n "$WINDOW" ] || return 1
    xdotool windowmove "$WINDOW" 0 0
    # The first screen is up and past the moment in which a new screen ignores clicks.
    trace_wait 'frame >= 5' || return 1
    frames_pass 0.5
}
# Waits until the game's own clock has gone on by s seconds (false if it ended or hung).
frames_pass() { # s
    local now
    now=$(trace_value clock)
    trace_wait "clock >= ${now:-0} + $1"
}
click() { # x y
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    frames_pass 0.15
    xdotool click 1
    frames_pass 0.2
}
alive() { kill -0 "$GAME_PID" 2>/dev/null; }
end_game() {
    if alive; then
        kill "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    GAME_PID=
}
wait_exit() { # -> exit status in EXIT_STATUS, or empty if still running at the hang ceiling
    EXIT_STATUS=
    local started=$SECONDS
    while ((SECONDS - started < HANG_CEILING)); do
        if ! alive; then
            wait "$GAME_PID"
            EXIT_STATUS=$?
            GAME_PID=
            return
        fi
        sleep 0.1
    done
}

run_variant() { # kind action file
    local kind=$1 action=$2 file=$3
    local name="$kind-$action-$file"
    WORK=$(mktemp -d /tmp/varnhold-sweep-run.XXXXXX)
    mkdir -p "$WORK/run"
    cp -r "$SOURCE/assets" "$WORK/assets"
    # The game beside the damaged copy: it prefers the assets beside its own folder when the ones
    # beside the working directory lack its files, and here both are the copy.
    ln "$GAME" "$WORK/run/Varnhold" 2>/dev/null || cp "$GAME" "$WORK/run/Varnhold"
    local problems=()
    fail() { problems+=("$*"); }

    if [ "$kind" = tileset ]; then
        # The map's tileset under a name the asset table does not load.
        sed -i 's/"name": *"tilesheet"/"name":"groundtiles"/' "$WORK/assets/game.tmj"
        grep -q '"name":"groundtiles"' "$WORK/assets/game.tmj" || fail "could not rename the tileset"
    fi
    if [ "$kind" = form ] && [ "$file" = loseScreen.txt ]; then
        # A short level whose weak base falls within seconds, so that the lose screen is loaded.
        cp "$SOURCE/tests/data/ui/short_game.tmj" "$WORK/assets/game.tmj"
    fi
    if [ "$action" = remove ]; then
        rm -f "$WORK/assets/$file"
    else
        printf 'GARBAGE \000\377\376 {{ = ;; } "unclosed\n\x89PNG?]]]\n' >"$WORK/assets/$file"
    fi
    local record_before
    record_before=$(cksum <"$WORK/assets/highscore.json" 2>/dev/null)

    local has_menu=1
    [ "$kind $file" = "form mainMenu.txt" ] && has_menu=
    local side=
    if [ "$kind" = form ]; then
        case $file in
            highscore.txt) side=HIGHSCORE ;;
            controls.txt) side=CONTROLS ;;
            credits.txt) side=CREDITS ;;
            levelSelect.txt) side=LEVELS ;;
        esac
    fi

    # exit pass
    if start_game exit; then
        if [ -n "$has_menu" ]; then
            if [ "$kind" = highscore ]; then
                click $HIGHSCORE
                alive || fail "ended on the highscore screen"
                click $HIGHSCORE_RETURN
            fi
            click $EXIT
            wait_exit
            if [ -z "$EXIT_STATUS" ]; then
                fail "the exit button did not end the game"
                end_game
            elif [ "$EXIT_STATUS" -ne 0 ]; then
                fail "exit status $EXIT_STATUS"
            fi
        else
            frames_pass 2
            alive || fail "ended without a main menu"
            end_game
        fi
    else
        fail "no window (exit pass)"
        end_game
    fi

    # play pass (or the lose screen's)
    if [ -n "$has_menu" ] && start_game play; then
        click $PLAY
        if [ "$kind $file" = "form loseScreen.txt" ]; then
            trace_wait 'screen == 5' || fail "no lose screen: $TRACE_PROBLEM"
            grep -aq "Failed to load widgets from file: " "$WORK/err.play" || fail "the broken lose screen said nothing"
            frames_pass 1
        else
            frames_pass "$IN_GAME_SECONDS" || fail "no $IN_GAME_SECONDS s in the game: $TRACE_PROBLEM"
        fi
        alive || fail "ended during play"
        end_game
    elif [ -n "$has_menu" ]; then
        fail "no window (play pass)"
        end_game
    fi

    # visit pass: the broken side screen itself
    if [ -n "$side" ] && start_game visit; then
        click ${!side}
        frames_pass 1
        alive || fail "ended on the broken $file screen"
        end_game
    fi

    # What the game said, per stream.
    local err out
    err=$(cat "$WORK"/err.* 2>/dev/null | grep -av "Setting vertical sync not supported")
    out=$(cat "$WORK"/out.* 2>/dev/null)
    expect_err() { grep -aqF -- "$1" <<<"$err" || fail "no line on stderr containing: $1"; }
    expect_out() { grep -aqF -- "$1" <<<"$out" || fail "no line on stdout containing: $1"; }
    case $kind in
        font) expect_err "Failed to load font \"../assets/$file\"" ;;
        texture) expect_err "Failed to load image \"../assets/$file\"" ;;
        sound) expect_err "Failed to open sound file \"../assets/$file\"" ;;
        icon) expect_err "Failed to load image \"../assets/$file\""
              expect_err "Could not load HUD icon \"../assets/$file\"" ;;
        form) expect_err "Failed to load widgets from file: " ;;
        map) expect_out "Parse error: " ;;
        tileset) expect_err "Failed to load image \"../assets/$file\""
                 expect_err "Could not load texture \"../assets/$file\"" ;;
        highscore) expect_err "Highscore file \"../assets/highscore.json\" holds no record: " ;;
    esac
    # Sanitizer builds: any report is a failure.
    if grep -aqE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" <<<"$err"; then
        fail "sanitizer report"
    fi
    # One line per problem, not one per frame: every pass together stays short.
    local lines
    lines=$(printf '%s\n%s\n' "$err" "$out" | grep -ac .)
    [ "$lines" -le 24 ] || fail "$lines lines of messages"
    # Nobody writes over a good record, except the game lost on a broken lose screen: its score ties
    # the stored 0, and the record is saved whatever the form holds.
    if [ "$kind $file" = "form loseScreen.txt" ]; then
        grep -q '^"name" : "Player 1", $' "$WORK/assets/highscore.json" || fail "the lost game's record was not saved"
    elif [ "$kind" != highscore ]; then
        [ "$(cksum <"$WORK/assets/highscore.json")" = "$record_before" ] || fail "the highscore file changed"
    fi

    {
        echo "== $name"
        printf '%s\n' "$err" "$out" | grep -av "^$" | sort | uniq -c | sed 's/^/    /' | head -12
        if [ ${#problems[@]} -eq 0 ]; then
            echo "   ok"
        else
            printf '   FAIL: %s\n' "${problems[@]}"
        fi
    } >"$LOGS/$name.log"
    rm -rf "$WORK"
    [ ${#problems[@]} -eq 0 ]
}

worker() { # index
    local index=$1 display status=0 n=0
    # A display of our own: Xvfb servers starting at once can race for a number, so pick one at
    # random and retry.
    local xvfb_pid=
    for _ in 1 2 3 4 5; do
        display=$((400 + RANDOM % 500))
        [ -e "/tmp/.X$display-lock" ] && continue
        # -noreset: the server would otherwise reset whenever the last game ends, and a game
        # started during the reset cannot open the display.
        Xvfb ":$display" -screen 0 1280x720x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        xvfb_pid=$!
        # Up once it answers; a server that lost the race for the number ends instead.
        local started=$SECONDS
        until DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1; do
            kill -0 "$xvfb_pid" 2>/dev/null && ((SECONDS - started < HANG_CEILING)) || break
            sleep 0.1
        done
        if kill -0 "$xvfb_pid" 2>/dev/null && DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1; then
            break
        fi
        kill "$xvfb_pid" 2>/dev/null
        xvfb_pid=
    done
    [ -n "$xvfb_pid" ] || { echo "worker $index: no X display"; return 1; }
    export DISPLAY=":$display"
    while read -r kind action file; do
        if [ $((n % WORKERS)) -eq "$index" ]; then
            run_variant "$kind" "$action" "$file" || status=1
        fi
        n=$((n + 1))
    done < <(variants)
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    return $status
}

started=$SECONDS
pids=()
for i in $(seq 0 $((WORKERS - 1))); do
    worker "$i" &
    pids+=($!)
done
status=0
for pid in "${pids[@]}"; do
    wait "$pid" || status=1
done

cat "$LOGS"/*.log
total=$(ls "$LOGS"/*.log | wc -l)
failed=$(grep -l "FAIL:" "$LOGS"/*.log | wc -l)
expected=$(variants | wc -l)
echo "sweep: $total of $expected variants run, $failed failed, $((SECONDS - started)) s"
[ "$total" -eq "$expected" ] || status=1
exit $status
