#!/usr/bin/env bash
# The screen options as a player uses them, under Xvfb with injected mouse events (xdotool), on the
# demo game: the options window opened from the main menu shows the effects volume (full at first)
# as a bar that shrinks when its "-" is clicked and grows again on its "+"; "256 colours" chosen there and confirmed is written to
# "Screen.SCRS", and the game started again draws its main screen's ship in colour. Screenshots are
# checked by colour and place (the demo's white level marks, its blue ship) and stay in $SHOTS
# (default build/play-settings); "vondrel.log" must stay empty. Every wait is bounded.
#     .ci/play_settings.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
SHOTS=${SHOTS:-$BUILD/play-settings}
PROGRAM="$BUILD/programs/Vondrel"
MAKE_DEMO="$BUILD/tools/make_demo_archive"
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "play_settings: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
[ -x "$PROGRAM" ] && [ -x "$MAKE_DEMO" ] || { echo "play_settings: build Vondrel and make_demo_archive first"; exit 1; }
rm -rf "$SHOTS" && mkdir -p "$SHOTS"

# --- what the script expects of the screens (640x480 window) ---
# Main menu column: entries right-aligned at x 620, y = 15 + 50 k; Options is row 5, and in the
# options column Screen options is row 1.
MENU_X=600
menu_y() { echo $((15 + 50 * $1 + 8)); }
# The options window: a 480x340 frame centred at (80, 70). The effects volume row has its bottom at
# frame y 260: "-" at frame x 200, the bar of 5x7 marks from x 235, "+" ending at x 405. The colour
# row (frame y 110) has "256 colours" from about frame x 290; OK ends at frame x 440 - the width of
# "Cancel", on the bottom row (frame y 320).
BAR_X=312 BAR_Y=318 BAR_W=160 BAR_H=16
PLUS_X=482 PLUS_Y=326
MINUS_X=283
EIGHT_BIT_X=395 EIGHT_BIT_Y=176
OK_X=478 OK_Y=386
# The notice that the new depth applies after a restart: a box in the middle, its OK at the right.
NOTICE_OK_X=453 NOTICE_OK_Y=266
# The main screen's ship: a 96x96 picture in the middle, its hull blue.
SHIP_BOX="96x96+272+192"

XVFB_DIR=$(mktemp -d)
Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp >"$XVFB_DIR/display" 2>"$XVFB_DIR/xvfb.err" &
XVFB_PID=$!
GAME_PID=""
GAME=""
cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$XVFB_DIR"
    [ -n "$GAME" ] && rm -rf "$GAME"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -s "$XVFB_DIR/display" ] && break
    sleep 0.1
done
[ -s "$XVFB_DIR/display" ] || { cat "$XVFB_DIR/xvfb.err"; echo "play_settings: Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$XVFB_DIR/display")"
export SDL_AUDIODRIVER=dummy

fail() {
    echo "play_settings: $*"
    [ -n "$GAME" ] && [ -s "$GAME/vondrel.log" ] && cat "$GAME/vondrel.log"
    exit 1
}

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
shot() {
    find_window
    import -window "$WINDOW" "$SHOTS/$1.png"
}
# How many pixels of a rectangle (x, y, width, height) are nearly white (the level marks).
white_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace HSL -channel B -separate +channel \
        -threshold 85% -format "%[fx:int(mean*w*h+0.5)]" info:
}
# How many pixels of the main screen's ship are of a strong colour (grey and black are not).
coloured_count() {
    convert "$SHOTS/$1.png" -crop "$SHIP_BOX" +repage -colorspace HSL -channel G -separate +channel \
        -threshold 50% -format "%[fx:int(mean*w*h+0.5)]" info:
}
# Whether the rectangle holds a text or entry: more lit pixels than a few stars could light.
lit_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 30% \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
# Whether row k of a menu column holds an entry: its last 44 pixels.
entry_at() { [ "$(lit_count "$1" 576 $((15 + 50 * $2)) 44 30)" -ge 30 ]; }
# As in .ci/play_demo.sh: the pointer rests on the control for a few frames, the button is held for
# about five, then the pointer moves off the menus.
click() {
    find_window
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    sleep 0.5
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep 0.5
    xdotool mousemove --window "$WINDOW" 20 400 2>/dev/null || true
    sleep 0.4
}
start_game() {
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
# SIGTERM ends the program in order; it must be gone within 10 s.
stop_game() {
    kill -TERM "$GAME_PID" 2>/dev/null || true
    for _ in $(seq 100); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end within 10 s of SIGTERM"
    wait "$GAME_PID" || true
    GAME_PID=""
}

START=$(date +%s)
GAME=$(mktemp -d)
"$MAKE_DEMO" "$GAME"
start_game
shot settings-1-main
entry_at settings-1-main 5 || fail "settings-1-main: no Options entry"
HIGH=$(coloured_count settings-1-main)
[ "$HIGH" -ge 1000 ] || fail "settings-1-main: the ship has only $HIGH coloured pixels in high colour"

# Options: its column of three entries replaces the main one (nothing stands where Options was).
for try in 1 2 3; do
    click "$MENU_X" "$(menu_y 5)"
    shot settings-2-options-column
    entry_at settings-2-options-column 2 && ! entry_at settings-2-options-column 5 && break
    [ "$try" = 3 ] && fail "settings-2-options-column: Options did not open its column"
done
# Screen options: the options window is there when its volume row's "+" is.
for try in 1 2 3; do
    click "$MENU_X" "$(menu_y 1)"
    shot settings-3-options-window
    [ "$(lit_count settings-3-options-window $((PLUS_X - 8)) $((PLUS_Y - 8)) 12 12)" -ge 5 ] && break
    [ "$try" = 3 ] && fail "settings-3-options-window: the options window did not open"
done

# "-" of the effects volume: the bar loses one mark (35 pixels); "+": it grows by one again.
FULL=$(white_count settings-3-options-window $BAR_X $BAR_Y $BAR_W $BAR_H)
for try in 1 2 3; do
    click "$MINUS_X" "$PLUS_Y"
    shot settings-4-volume-minus
    BEFORE=$(white_count settings-4-volume-minus $BAR_X $BAR_Y $BAR_W $BAR_H)
    [ "$BEFORE" -le $((FULL - 30)) ] && break
    [ "$try" = 3 ] && fail "settings-4-volume-minus: the volume bar did not shrink ($FULL, then $BEFORE white pixels)"
done
for try in 1 2 3; do
    click "$PLUS_X" "$PLUS_Y"
    shot settings-4b-volume-plus
    AFTER=$(white_count settings-4b-volume-plus $BAR_X $BAR_Y $BAR_W $BAR_H)
    [ "$AFTER" -ge $((BEFORE + 30)) ] && break
    [ "$try" = 3 ] && fail "settings-4b-volume-plus: the volume bar did not grow ($BEFORE, then $AFTER white pixels)"
done

# "256 colours", OK, then OK on the notice: "Screen.SCRS" is written.
click "$EIGHT_BIT_X" "$EIGHT_BIT_Y"
shot settings-5-256-colours-chosen
click "$OK_X" "$OK_Y"
shot settings-6-notice
for try in 1 2 3; do
    click "$NOTICE_OK_X" "$NOTICE_OK_Y"
    [ -s "$GAME/Screen.SCRS" ] && break
    [ "$try" = 3 ] && fail "settings-6-notice: no Screen.SCRS after the notice"
done
stop_game

# Started again in 256 colours: the ship keeps its colours.
start_game
shot settings-7-restarted-256-colours
EIGHT=$(coloured_count settings-7-restarted-256-colours)
[ "$EIGHT" -ge $((HIGH / 2)) ] ||
    fail "settings-7-restarted-256-colours: the ship has $EIGHT coloured pixels, $HIGH in high colour"
stop_game
[ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
ELAPSED=$(($(date +%s) - START))
echo "== the screen options were played under Xvfb in $ELAPSED s: the volume bar shrank and grew ($FULL -> $BEFORE -> $AFTER" \
    "white pixels) and 256 colours kept the ship in colour ($HIGH -> $EIGHT coloured pixels)"
