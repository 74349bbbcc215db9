# Shared by the end-to-end scripts: an X display of their own, the game started from a scratch
# folder beside a copy of the assets, its window, and the hand that drives it.
# A script sets NO_DISPLAY (its exit status for "no usable display"), WORK (scratch folder, or
# e2e_scratch does) and SHOTS (screenshot folder) before calling these.

# Runs the calling script again under its own Xvfb server (of E2E_SCREEN, 1280 x 720 unless set),
# unless it already has one. Several
# servers starting at once on a shared machine can race for the same number; then the game cannot
# open the display and the script tries again from another, random, starting number. -noreset: a
# script that plays several games in a row finds the server there when the next game starts (one
# that reset after the last game closed refused the next one now and then).
e2e_own_display() { # script args...
    [ -n "${VARNHOLD_E2E_DISPLAY:-}" ] && return 0
    local said
    said=$(mktemp)
    for attempt in 1 2 3; do
        : >"$said"
        # The script's own status is kept apart from xvfb-run's, which may fail to clean up its
        # folder (status 5) after a script that failed: only a display that could not be had is
        # tried again, never a script that ran and failed.
        env VARNHOLD_E2E_DISPLAY=1 xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 ${E2E_SCREEN:-1280x720}x24 -noreset" \
            bash -c 'bash "$@"; echo $? >"'"$said"'"' e2e "$@"
        status=$?
        [ -s "$said" ] && status=$(cat "$said")
        [ "$status" -eq "$NO_DISPLAY" ] || { [ ! -s "$said" ] && [ "$status" -eq 5 ]; } || {
            rm -f "$said"
            exit "$status"
        }
        echo "attempt $attempt: no usable X display (status $status), trying again"
        sleep 1
    done
    rm -f "$said"
    exit 1
}

. "$(dirname "${BASH_SOURCE[0]}")/trace.sh"
GAME_PID=
W=
e2e_cleanup() {
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID"
    fi
    rm -rf "$WORK"
}

# A scratch folder (WORK) removed when the script ends: run/ for the game to start in, beside a copy
# of the source's assets; and the screenshot folder (SHOTS).
e2e_scratch() { # source_dir
    WORK=$(mktemp -d /tmp/varnhold-e2e.XXXXXX)
    trap e2e_cleanup EXIT
    mkdir -p "$WORK/run" "$SHOTS"
    cp -r "$1/assets" "$WORK/assets"
}

fail() {
    echo "FAIL: $*"
    echo "--- game stdout"; cat "$WORK/run/game.out" 2>/dev/null
    echo "--- game stderr"; cat "$WORK/run/game.err" 2>/dev/null
    exit 1
}

# Starts the game binary in $WORK/run and finds its window (W), moved to the screen's corner.
# With SOUND_FILE set, what the game plays is written there (OpenAL's wave output); else silence.
e2e_start_game() { # game binary
    cd "$WORK/run" || fail "no run folder"
    TRACE="$WORK/run/trace.txt"
    rm -f "$TRACE"
    export VARNHOLD_TRACE="$TRACE"
    if [ -n "${SOUND_FILE:-}" ]; then
        printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$SOUND_FILE" >"$WORK/alsoft.conf"
        env -u ALSOFT_DRIVERS ALSOFT_CONF="$WORK/alsoft.conf" "$1" >game.out 2>game.err &
    else
        ALSOFT_DRIVERS=null "$1" >game.out 2>game.err &
    fi
    GAME_PID=$!
    W=
    local started=$SECONDS
    while [ -z "$W" ] && ((SECONDS - started < HANG_CEILING)); do
        W=$(xdotool search --name '^Varnhold' 2>/dev/null | head -1)
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            grep -q "cannot open the X display\|Failed to open X11 display" "$WORK/run/game.err" &&
                exit "$NO_DISPLAY"
            fail "the game ended before its window appeared"
        fi
        sleep 0.1
    done
    [ -n "$W" ] || fail "no Varnhold window"
    xdotool windowmove "$W" 0 0
    # The first screen is up and past the moment in which a new screen ignores clicks.
    wait_for 'frame >= 5' "the first frames"
    wait_clock 0.5
}

# Waits until the game's last frame satisfies the condition (see trace.sh); only a game that never
# gets there (hung, or wrong) fails.
wait_for() { # awk condition, what is awaited
    trace_wait "$1" || fail "no $2: $TRACE_PROBLEM"
}
# Waits for n more frames drawn: what was sent before has been handled and shows on screen.
wait_frames() { # n
    local now
    now=$(trace_value frame)
    wait_for "frame >= ${now:-0} + $1" "$1 more frames"
}
# Waits until the game's own clock (the sum of its frame times) has gone on by s seconds: a
# pointer that rests, rests this long as the game counts it.
wait_clock() { # s
    local now
    now=$(trace_value clock)
    wait_for "clock >= ${now:-0} + $1" "$1 s more of the game's clock"
}

# A hand: a few small steps towards the spot with short rests, a rest on it, then the click.
hand_move() { # x y
    local x0 y0
    x0=$(xdotool getmouselocation --shell | sed -n 's/^X=//p')
    y0=$(xdotool getmouselocation --shell | sed -n 's/^Y=//p')
    for i in 1 2 3 4 5 6; do
        xdotool mousemove --window "$W" $((x0 + ($1 - x0) * i / 6)) $((y0 + ($2 - y0) * i / 6))
        sleep 0.04
    done
    sleep 0.3
}
click() { # x y, in window pixels
    hand_move "$1" "$2"
    xdotool click 1
    settle
}
# Lets the game handle what was sent (three more frames), unless the click ended it.
settle() {
    local now
    now=$(trace_value frame)
    trace_wait "frame >= ${now:-0} + 3" && return 0
    kill -0 "$GAME_PID" 2>/dev/null && fail "no frames after a click: $TRACE_PROBLEM"
    return 0
}
# A hurried hand: the jump and the click in one go.
hurried_click() { # x y
    xdotool mousemove --window "$W" "$1" "$2" click 1
}
# A screenshot of what the game shows once it has handled what was sent before.
shot() { # name
    wait_frames 2
    import -window root "$SHOTS/$1.png" || fail "screenshot $1"
}
pixel() { # file x y -> "r g b"
    convert "$1" -format '%[pixel:p{'"$2"','"$3"'}]' info: | grep -o '[0-9.]\+' | head -3 | tr '\n' ' '
}
near() { # "r g b" r g b tolerance
    local got=($1)
    [ ${#got[@]} -eq 3 ] || return 1
    for i in 0 1 2; do
        local want=$(( $2 * (i == 0) + $3 * (i == 1) + $4 * (i == 2) ))
        local d=$(( ${got[$i]%.*} - want ))
        [ ${d#-} -le "$5" ] || return 1
    done
}
not_black() { # file
    local mean
    mean=$(convert "$1" -format '%[fx:mean]' info:)
    awk -v m="$mean" 'BEGIN { exit !(m > 0.02) }'
}
# The window of the running game again (a change to or from fullscreen makes a new one), once it
# has the size given and the game has drawn into it.
e2e_find_window() { # WIDTHxHEIGHT
    local started=$SECONDS geometry=
    while ((SECONDS - started < HANG_CEILING)); do
        W=$(xdotool search --name '^Varnhold' 2>/dev/null | tail -1)
        geometry=$(xdotool getwindowgeometry "$W" 2>/dev/null | sed -n 's/^ *Geometry: //p')
        [ "$geometry" = "$1" ] && break
        sleep 0.1
    done
    [ -n "$W" ] || fail "no Varnhold window"
    wait_frames 3
}
# Whether two screenshots differ inside a rectangle.
region_differs() { # file1 file2 x y w h
    local diff
    convert "$1" -crop "$5x$6+$3+$4" +repage "$WORK/region_a.png" || return 1
    convert "$2" -crop "$5x$6+$3+$4" +repage "$WORK/region_b.png" || return 1
    diff=$(compare -metric AE "$WORK/region_a.png" "$WORK/region_b.png" null: 2>&1 | grep -o '^[0-9]*')
    [ "${diff:-0}" -gt 0 ]
}

# Waits for the game to end on its own after the exit button; fails unless it returns 0.
e2e_wait_exit() {
    local status= started=$SECONDS
    while ((SECONDS - started < HANG_CEILING)); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"; status=$?; GAME_PID=; break
        fi
        sleep 0.1
    done
    [ -n "$status" ] || fail "the exit button did not end the game"
    [ "$status" -eq 0 ] || fail "exit status $status"
}

# What the screen says now (see trace_texts), kept in $WORK/texts.txt for text_of and friends.
read_texts() {
    trace_texts >"$WORK/texts.txt" || fail "no texts from the game: $TRACE_PROBLEM"
}
text_of() { # widget name -> its text as read last ("\n" for line breaks)
    awk -F'\t' -v n="$1" '$1 == n { print $4; exit }' "$WORK/texts.txt"
}
# Shown texts that wrap past their own line breaks or do not fit their box (name and text).
wrapped_texts() {
    awk -F'\t' '{ split($3, l, " ") } l[1] > l[2] || l[1] > l[3] { print $1 ": " $4 }' "$WORK/texts.txt"
}

# A check that fails the script at its end (finish), letting the script go on to its others.
PROBLEMS=
problem() {
    echo "PROBLEM: $*"
    PROBLEMS="$PROBLEMS
  - $*"
}
finish() {
    [ -z "$PROBLEMS" ] || fail "$(printf '%s' "$PROBLEMS")"
    echo "PASS"
}
