#!/usr/bin/env bash
# The screen options as a player uses them, under Xvfb with injected mouse events (xdotool), on the
# demo game: the options window opened from the main menu shows the effects volume (full at first)
# as a bar that shrinks when its "-" is clicked and grows again on its "+"; "256 colours" chosen there and confirmed is written to
# "Screen.SCRS", and the game started again draws its main screen's ship in colour. Screenshots are
# checked by colour and place (the demo's white level marks, its blue ship) and stay in $SHOTS
# (default build/ci-shots/settings); "vondrel.log" must stay empty. Every wait is bounded.
#     .ci/play_settings.sh [BUILD_DIR]
# PLAY_DISPLAY=N runs Xvfb on display :N instead of the first free one.
set -euo pipefail
cd "$(dirname "$0")/.."
PLAY_NAME=play_settings
source .ci/play_common.sh
play_prepare "${1:-build}" ci-shots/settings

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
SHIP_BOX="272 192 96 96"

start_xvfb
REMOVE_GAME_AT_EXIT=1
# The pointer rests longer on the options window's controls than on the demo's menus.
CLICK_REST=0.5
CLICK_SETTLE=0.4

# How many pixels of a rectangle (x, y, width, height) are nearly white (the level marks).
white_count() { threshold_count "$1" "$2" "$3" "$4" "$5" 85% -colorspace HSL -channel B -separate +channel; }
# How many pixels of the main screen's ship are of a strong colour (grey and black are not).
coloured_count() { threshold_count "$1" $SHIP_BOX 50% -colorspace HSL -channel G -separate +channel; }
# Whether the rectangle holds a text or entry: more lit pixels than a few stars could light.
lit_count() { threshold_count "$1" "$2" "$3" "$4" "$5" 30% -colorspace Gray; }
# Whether row k of a menu column holds an entry: its last 44 pixels.
entry_at() { [ "$(lit_count "$1" 576 $((15 + 50 * $2)) 44 30)" -ge 30 ]; }
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
launch_game
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
launch_game
shot settings-7-restarted-256-colours
EIGHT=$(coloured_count settings-7-restarted-256-colours)
[ "$EIGHT" -ge $((HIGH / 2)) ] ||
    fail "settings-7-restarted-256-colours: the ship has $EIGHT coloured pixels, $HIGH in high colour"
stop_game
[ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
ELAPSED=$(($(date +%s) - START))
echo "== the screen options were played under Xvfb in $ELAPSED s: the volume bar shrank and grew ($FULL -> $BEFORE -> $AFTER" \
    "white pixels) and 256 colours kept the ship in colour ($HIGH -> $EIGHT coloured pixels)"
