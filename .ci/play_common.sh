# What the plays under Xvfb share, sourced by .ci/play_demo.sh and .ci/play_settings.sh after they
# set PLAY_NAME (the name their messages start with): the build's programs, Xvfb, the game's window,
# screenshots, clicks, keys and pixel counts. Every wait is bounded.
# PLAY_DISPLAY=N runs Xvfb on display :N instead of the first free one.

# Sets BUILD (from the folder given), SHOTS (default $BUILD/<shots>, emptied), PROGRAM and MAKE_DEMO;
# ends the play when a tool or a program is missing.
play_prepare() {
    BUILD=$(cd "$1" && pwd)
    SHOTS=${SHOTS:-$BUILD/$2}
    PROGRAM="$BUILD/programs/Vondrel"
    MAKE_DEMO="$BUILD/tools/make_demo_archive"
    local tool
    for tool in Xvfb xdotool import convert; do
        command -v "$tool" >/dev/null || { echo "$PLAY_NAME: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
    done
    [ -x "$PROGRAM" ] && [ -x "$MAKE_DEMO" ] || { echo "$PLAY_NAME: build Vondrel and make_demo_archive first"; exit 1; }
    rm -rf "$SHOTS" && mkdir -p "$SHOTS"
}

GAME_PID=""
GAME=""
# Set to remove the game folder at the exit too.
REMOVE_GAME_AT_EXIT=""
play_cleanup() {
    if [ -n "$GAME_PID" ]; then kill "$GAME_PID" 2>/dev/null || true; fi
    # Waited for, so that the next play's X server never starts while this one ends.
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    rm -rf "$XVFB_DIR"
    if [ -n "$REMOVE_GAME_AT_EXIT" ] && [ -n "$GAME" ]; then rm -rf "$GAME"; fi
}

# Starts Xvfb (800x600, 24 bits) and points DISPLAY at it; the game gets no sound card.
start_xvfb() {
    XVFB_DIR=$(mktemp -d)
    if [ -n "${PLAY_DISPLAY:-}" ]; then
        Xvfb ":$PLAY_DISPLAY" -screen 0 800x600x24 -nolisten tcp 2>"$XVFB_DIR/xvfb.err" &
        echo "$PLAY_DISPLAY" >"$XVFB_DIR/display"
    else
        Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp >"$XVFB_DIR/display" 2>"$XVFB_DIR/xvfb.err" &
    fi
    XVFB_PID=$!
    trap play_cleanup EXIT
    for _ in $(seq 100); do
        [ -s "$XVFB_DIR/display" ] && break
        sleep 0.1
    done
    [ -s "$XVFB_DIR/display" ] || { cat "$XVFB_DIR/xvfb.err"; echo "$PLAY_NAME: Xvfb did not start"; exit 1; }
    export DISPLAY=":$(cat "$XVFB_DIR/display")"
    export SDL_AUDIODRIVER=dummy
    for _ in $(seq 50); do
        xdotool getmouselocation >/dev/null 2>&1 && break
        sleep 0.1
    done
}

fail() {
    echo "$PLAY_NAME: $*"
    [ -n "$GAME" ] && [ -s "$GAME/vondrel.log" ] && cat "$GAME/vondrel.log"
    exit 1
}

# The game's window; it may be made anew (the flight sets its screen mode), and then takes the focus
# again.
find_window() {
    xdotool getwindowname "$WINDOW" >/dev/null 2>&1 && return 0
    for _ in $(seq 50); do
        WINDOW=$(xdotool search --onlyvisible --name Vondrel 2>/dev/null | head -n1 || true)
        [ -n "$WINDOW" ] && break
        sleep 0.1
    done
    [ -n "$WINDOW" ] || fail "no game window"
    xdotool windowfocus --sync "$WINDOW"
}

# Starts the program in $GAME and waits for its window.
launch_game() {
    (cd "$GAME" && exec "$PROGRAM") &
    GAME_PID=$!
    WINDOW=""
    for _ in $(seq 100); do
        WINDOW=$(xdotool search --onlyvisible --name Vondrel 2>/dev/null | head -n1 || true)
        [ -n "$WINDOW" ] && break
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before its window showed"
        sleep 0.1
    done
    [ -n "$WINDOW" ] || fail "no game window"
    # Without a window manager nothing gives the window the focus, and the game takes input only
    # while it has it.
    sleep 1
    xdotool windowfocus --sync "$WINDOW"
    sleep 1
}

# After the quit question's answer (or what else WHY says ended it): the game must end within
# SECONDS (default 5), with status 0 and an empty log.
#     game_ends [SECONDS [WHY]]
game_ends() {
    for _ in $(seq $((${1:-5} * 10))); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end within ${1:-5} s of ${2:-the quit answer}"
    wait "$GAME_PID" || fail "the game ended with status $?"
    GAME_PID=""
    [ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
    return 0
}

# The window's screenshot.
shot() {
    find_window
    import -window "$WINDOW" "$SHOTS/$1.png"
}

# The game reads the buttons and keys once a frame (28 ms): the pointer rests on its control for a
# few frames (CLICK_REST seconds), then the button is held for about five frames, less than the ten
# in which a held button counts as a double click (after them it would click again, on whatever the
# first click put there). After a click the pointer moves off the menus (for CLICK_SETTLE seconds),
# so that no entry shows highlighted in the next screenshot.
CLICK_REST=0.35
CLICK_SETTLE=0.3
click() {
    find_window
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    sleep "$CLICK_REST"
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep "$CLICK_REST"
    xdotool mousemove --window "$WINDOW" 20 400 2>/dev/null || true
    sleep "$CLICK_SETTLE"
}
# Clicks (x, y) until the named check passes on a fresh screenshot, taken half a second after the
# click; at most three times.
click_until() {
    local name=$1 x=$2 y=$3 check=$4 try
    for try in 1 2 3; do
        click "$x" "$y"
        sleep 0.5
        shot "$name"
        "$check" "$name" && return 0
    done
    fail "$name: $check did not pass after three clicks at ($x, $y)"
}
# Keys go to the focused window through XTEST (events sent to a window are marked as sent and
# ignored).
key() {
    find_window
    xdotool keydown "$1"
    sleep 0.2
    xdotool keyup "$1"
    sleep 0.4
}

# How many pixels of each rectangle ("x y width height", one argument each) of a screenshot have the
# colour, one count a line: they are painted in a marker colour that the demo never uses, and the
# rest black. One process for all of them (the CPU is shared).
colour_counts() {
    local file=$1 colour=$2 crops=() x y w h
    shift 2
    for rect in "$@"; do
        read -r x y w h <<<"$rect"
        crops+=("(" -clone 0 -crop "${w}x${h}+${x}+${y}" +repage ")")
    done
    convert "$SHOTS/$file.png" -alpha off -fuzz 12% -fill magenta -opaque "$colour" -fuzz 0 -fill black \
        +opaque magenta -fill white -opaque magenta "${crops[@]}" -delete 0 \
        -format "%[fx:int(mean*w*h+0.5)]\n" info:
}
# The same for one rectangle (x, y, width, height).
colour_count() { colour_counts "$1" "$6" "$2 $3 $4 $5"; }
# How many pixels of a rectangle (x, y, width, height) of a screenshot pass the threshold after the
# conversions that follow it (a colour space and a channel of it).
threshold_count() {
    local file=$1 x=$2 y=$3 w=$4 h=$5 threshold=$6
    shift 6
    convert "$SHOTS/$file.png" -crop "${w}x${h}+${x}+${y}" +repage "$@" -threshold "$threshold" \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
