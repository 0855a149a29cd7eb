#!/usr/bin/env bash
# The demo game played as a user plays it, under Xvfb with injected mouse and key events (xdotool):
# main screen, a campaign for one player, the level flown to its end without input, the star system
# with its two planets, the shop opened from one of them, the game menu's save, back to the main
# screen, quit. Screenshots at fixed points are checked against what a person can read off the
# screens (the menu buttons' places, ships in the flight, the planets), and
# "vondrel.log" must stay empty. The whole play runs twice in fresh game folders: the same input
# must leave the same save file. Ends by itself (every wait is bounded; the whole within two
# minutes). Screenshots stay in $SHOTS (default build/play-demo) for a person to look at.
#     .ci/play_demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(cd "${1:-build}" && pwd)
SHOTS=${SHOTS:-$BUILD/play-demo}
PROGRAM="$BUILD/programs/Vondrel"
MAKE_DEMO="$BUILD/tools/make_demo_archive"
for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "play_demo: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
[ -x "$PROGRAM" ] && [ -x "$MAKE_DEMO" ] || { echo "play_demo: build Vondrel and make_demo_archive first"; exit 1; }
rm -rf "$SHOTS" && mkdir -p "$SHOTS"

# --- what the script expects of the screens (640x480 window, the demo archive's screen setting) ---
# Main menu column (BuildMainMenu): entries right-aligned 20 px from the right edge, y = 15 + 50 k,
# font "BigMenu" (the demo's is 10x16 solid glyphs in colour 1, white). A click at (600, y + 8) hits
# the entry of row k; the same place holds the first entry of every column.
MENU_X=600
menu_y() { echo $((15 + 50 * $1 + 8)); }
# Game menu (OpenGameMenu over no window): a 400x300 frame centred, buttons centred at frame x 200,
# y 40 + 50 k: settings, save, load, leave, back.
GAME_MENU_X=320
game_menu_y() { echo $((90 + 40 + 50 * $1)); }
# The flight: level length 600 steps plus the 90-step end countdown, 28 ms a step: about 20 s; the
# play waits at most this long for the window that follows it.
FLIGHT_SECONDS=40
# The star system after the flight (the demo's "DemoSystem"): two planets, discs 64 px across,
# centred on a row at y 240, the shop's planet at x 200, the other at x 440. A planet is there when
# nearly all of the 30x30 square round its centre is lit.
SHOP_PLANET_X=200
OTHER_PLANET_X=440
PLANET_Y=240
planet_at() { [ "$(lit_count "$1" $(($2 - 15)) $((PLANET_Y - 15)) 30 30)" -ge 800 ]; }
planets_at() { planet_at "$1" "$SHOP_PLANET_X" && planet_at "$1" "$OTHER_PLANET_X"; }
# The shop is open when its column's first button stands at the top right (the tips box, which
# opens over the shop's middle, may hide the planets' places).
shop_open() { text_at "$1" 580 8 50 20; }
# The quit question over the main screen: a box of the least size, 200x100, centred; its answers
# right-aligned on its bottom row, "No" then "Yes" leftwards, 20 px apart, in the demo's 6-px-a-
# character "TextButton" font: "Yes" ends at box x 148, its baseline at box y 80.
QUIT_YES_X=359
QUIT_YES_Y=266

XVFB_DIR=$(mktemp -d)
Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp >"$XVFB_DIR/display" 2>"$XVFB_DIR/xvfb.err" &
XVFB_PID=$!
GAME_PID=""
cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$XVFB_DIR"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -s "$XVFB_DIR/display" ] && break
    sleep 0.1
done
[ -s "$XVFB_DIR/display" ] || { cat "$XVFB_DIR/xvfb.err"; echo "play_demo: Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$XVFB_DIR/display")"
export SDL_AUDIODRIVER=dummy

fail() {
    echo "play_demo: $*"
    [ -n "${GAME:-}" ] && [ -s "$GAME/vondrel.log" ] && cat "$GAME/vondrel.log"
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
# The window's screenshot.
shot() {
    find_window
    import -window "$WINDOW" "$SHOTS/$1.png"
}
# Passes when at least the given count of pixels are not black.
expect_lit() {
    local count
    count=$(convert "$SHOTS/$1.png" -colorspace Gray -threshold 5% -format "%[fx:int(mean*w*h)]" info:)
    [ "$count" -ge "$2" ] || fail "$1: only $count pixels lit, expected $2 or more ($3)"
}
# How many pixels of a rectangle (x, y, width, height) of a screenshot are lit.
lit_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 30% \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
# Whether a text stands in the rectangle: more lit pixels than the few stars of the background
# (2x2 pixels each) could light.
text_at() { [ "$(lit_count "$@")" -ge 30 ]; }
# How many of the seven places of a menu column hold an entry: the last 44 pixels of each line.
menu_entries() {
    local n=0 k
    for k in 0 1 2 3 4 5 6; do text_at "$1" 576 $((15 + 50 * k)) 44 30 && n=$((n + 1)); done
    echo "$n"
}
# The game reads the buttons and keys once a frame (28 ms): the pointer rests on its control for a
# few frames, then the button is held for about five frames, less than the ten in which a held
# button counts as a double click (after them it would click again, on whatever the first click
# put there). After a click the pointer moves off the menus, so that no entry shows highlighted in
# the next screenshot.
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
# Keys go to the focused window through XTEST (events sent to a window are marked as sent and
# ignored).
key() {
    find_window
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    sleep 0.5
}
# One whole play in a fresh game folder; the save file it left is copied to $1.
play() {
    GAME=$(mktemp -d)
    "$MAKE_DEMO" "$GAME"
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

    # The main screen: the menu column's seven entries, the ship in the middle.
    shot "$2-1-main"
    [ "$(menu_entries "$2-1-main")" = 7 ] || fail "$2-1-main: the main column's seven entries are not all there"
    expect_lit "$2-1-main" 2000 "menu, ship and labels"

    # New game (four entries), campaign (one player, two players, back), one player: the flight.
    # A click the game missed, or took twice, shows in the next screenshot's column (main 7 entries,
    # new game 4, player count 3): the first entry of each leads on; until the menu has gone.
    local step n
    for step in $(seq 8); do
        click $((MENU_X + 12 - 4 * (step % 4))) "$(menu_y 0)"
        shot "$2-2-menu-$step"
        n=$(menu_entries "$2-2-menu-$step")
        [ "$n" -le 1 ] && break
        [ "$step" = 8 ] && fail "$2-2-menu-$step: the menus did not lead to a game ($n entries)"
    done
    [ "$step" -ge 3 ] || fail "$2-2-menu-$step: the game started after $step clicks, not three"
    sleep 3
    shot "$2-5-flight"
    expect_lit "$2-5-flight" 300 "the pilot's ship, the enemies and the stars"
    # The flight has ended when the star system shows its two planets; a flight never lights
    # both places that much.
    local waited
    for waited in $(seq "$FLIGHT_SECONDS"); do
        sleep 1
        shot "$2-5-flight-end"
        planets_at "$2-5-flight-end" && break
        [ "$waited" = "$FLIGHT_SECONDS" ] && fail "$2-5-flight-end: no star system after the flight"
    done
    sleep 1

    # The star system: both planets there; a click on the shop's planet opens the shop.
    shot "$2-5-star-system"
    planets_at "$2-5-star-system" || fail "$2-5-star-system: the two planets are not both there"
    for try in 1 2 3; do
        click "$SHOP_PLANET_X" "$PLANET_Y"
        shot "$2-5-shop-opened"
        shop_open "$2-5-shop-opened" && break
        [ "$try" = 3 ] && fail "$2-5-shop-opened: the shop's planet did not open the shop"
    done
    sleep 1

    # The shop the campaign opens after the flight, with its tips over it the first time: Escape
    # closes the tips, Escape again the shop.
    shot "$2-6-shop-tips"
    key Escape
    shot "$2-6-shop"
    expect_lit "$2-6-shop" 2000 "the shop's stock and buttons"
    key Escape

    # The game menu: save on the "New" row (Enter confirms it).
    shot "$2-7-game-menu"
    text_at "$2-7-game-menu" $((GAME_MENU_X - 60)) $(($(game_menu_y 1) - 12)) 120 24 ||
        fail "$2-7-game-menu: no save button at ($GAME_MENU_X, $(game_menu_y 1))"
    for try in 1 2 3; do
        click "$GAME_MENU_X" "$(game_menu_y 1)"
        shot "$2-8-save"
        [ "$(lit_count "$2-8-save" 560 86 40 14)" -ge 16 ] && break
        [ "$try" = 3 ] && fail "$2-8-save: no row on the save screen"
    done
    # The rows stand right-aligned at x 600 with their bottoms at y 100 + 30 k; the last one is
    # "New" (the autosave of the flight comes first). Choosing it and Enter save without a question.
    # A row is there when more pixels of its place are lit than three stars (2x2 each) could light.
    local rows=1
    while [ "$rows" -lt 11 ] && [ "$(lit_count "$2-8-save" 560 $((86 + 30 * rows)) 40 14)" -ge 16 ]; do
        rows=$((rows + 1))
    done
    # Saving closes the game menu and ends the game: the main column shows again. A click the game
    # missed leaves the autosave row chosen: Enter then asks whether to replace it (a box in the
    # middle of the screen, lit left of where the main screen's ship stands, seen in two shots in a
    # row so that a passing frame does not count), Escape answers no, and the row is clicked again.
    local saved_game=no question
    for try in 1 2 3; do
        click 596 $((96 + 30 * (rows - 1)))
        key Return
        question=0
        for _ in $(seq 10); do
            shot "$2-9-saved"
            if [ "$(menu_entries "$2-9-saved")" = 7 ]; then
                saved_game=yes
                break 2
            fi
            if [ "$(lit_count "$2-9-saved" 230 200 30 20)" -ge 300 ]; then
                question=$((question + 1))
                [ "$question" -ge 2 ] && break
            else
                question=0
            fi
            sleep 0.5
        done
        key Escape
    done
    [ "$saved_game" = yes ] || fail "$2-9-saved: the \"New\" row could not be chosen"

    # The main screen again: quit and answer yes. Quit is clicked again (at most twice more) when no
    # question box stands in the middle, as on a machine too slow to have drawn it yet.
    sleep 1
    shot "$2-10-main-again"
    [ "$(menu_entries "$2-10-main-again")" = 7 ] || fail "$2-10-main-again: not the main column"
    for try in 1 2 3; do
        click "$MENU_X" "$(menu_y 6)"
        shot "$2-11-quit-question"
        [ "$(lit_count "$2-11-quit-question" 230 200 30 20)" -ge 300 ] && break
        [ "$try" = 3 ] && fail "$2-11-quit-question: no question after Quit"
    done
    for try in 1 2 3; do
        click "$QUIT_YES_X" "$QUIT_YES_Y"
        for _ in $(seq 30); do
            kill -0 "$GAME_PID" 2>/dev/null || break 2
            sleep 0.1
        done
    done
    kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end after the quit answer"
    wait "$GAME_PID" || fail "the game ended with status $?"
    GAME_PID=""
    [ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
    local saved
    saved=$(find "$GAME/Saves" -iname '*.gsf' 2>/dev/null | head -n1)
    [ -n "$saved" ] || fail "no save file in $GAME/Saves"
    cp "$saved" "$1"
    rm -rf "$GAME"
}

START=$(date +%s)
play "$SHOTS/first.gsf" first
play "$SHOTS/second.gsf" second
cmp "$SHOTS/first.gsf" "$SHOTS/second.gsf" || fail "the same input left different save files"
ELAPSED=$(($(date +%s) - START))
[ "$ELAPSED" -le 120 ] || fail "the plays took $ELAPSED s, more than two minutes"
echo "== the demo game was played twice under Xvfb in $ELAPSED s; both saves are equal"
