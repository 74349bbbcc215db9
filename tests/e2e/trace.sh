# What the game did, from its trace (VARNHOLD_TRACE, one line of names and values per frame; see
# app/FrameTrace.hpp), for the scripts that play the real game. Sourced; the script sets TRACE to
# the trace's file and GAME_PID to the game's process.

# How long a script waits for the game to reach a state before it calls the game hung. Nothing
# else is timed: every wait is for something the game did, so a busy machine only takes longer.
HANG_CEILING=${HANG_CEILING:-240}
TRACE=
TRACE_PROBLEM=

# trace_is tests the last whole line with an awk condition over its names:
#   trace_is 'screen == 4 && money >= 50'
trace_is() { # awk condition
    local vars
    vars=$(tail -n 2 "$TRACE" 2>/dev/null |
        awk '$(NF - 1) == "enemies" { line = ""; for (i = 1; i < NF; i += 2) line = line " -v " $i "=" $(i + 1) } END { print line }')
    [ -n "$vars" ] && awk $vars "BEGIN { exit !($1) }"
}
trace_value() { # name -> its value in the last whole line
    tail -n 2 "$TRACE" 2>/dev/null |
        awk -v k="$1" '$(NF - 1) == "enemies" { for (i = 1; i < NF; i += 2) if ($i == k) v = $(i + 1) } END { print v }'
}
# Waits until the last frame satisfies the condition. Returns 1, with the reason in TRACE_PROBLEM,
# when the game ends first or at the hang ceiling.
trace_wait() { # awk condition
    local started=$SECONDS
    TRACE_PROBLEM=
    until trace_is "$1"; do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            TRACE_PROBLEM="the game ended"
            return 1
        fi
        if ((SECONDS - started >= HANG_CEILING)); then
            TRACE_PROBLEM="still none after $HANG_CEILING s"
            return 1
        fi
        sleep 0.05
    done
}
# What the screen says now (app/FrameTrace.hpp): asks the game, waits for its answer, and prints
# it, one line per shown text widget: NAME, X Y W H, LINES PARAGRAPHS SHOWN, TEXT (tab-separated).
trace_texts() {
    local started=$SECONDS
    TRACE_PROBLEM=
    rm -f "$TRACE.texts"
    : >"$TRACE.ask"
    while [ -e "$TRACE.ask" ] || [ ! -e "$TRACE.texts" ]; do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            TRACE_PROBLEM="the game ended"
            return 1
        fi
        if ((SECONDS - started >= HANG_CEILING)); then
            TRACE_PROBLEM="no answer after $HANG_CEILING s"
            return 1
        fi
        sleep 0.05
    done
    cat "$TRACE.texts"
}
