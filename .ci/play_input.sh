#!/usr/bin/env bash
# What the player types and presses reaches what it was meant for, played under Xvfb with injected
# mouse and key events (xdotool) in the demo game, whose first player has Space, X and C on the
# windows' primary, secondary and close actions and the second Q, E and R, with W, A, S and D to
# steer:
# - player 2's keys pressed in the main menu, then a campaign for two players: its flight starts with
#   no window open;
# - in that flight C opens the ship window (its tips over it), Escape closes the tips and Escape
#   again the ship window: the flight goes on, with no question asked, to the first star system;
# - in Kessa's shop an item bought shows its picture at the pointer;
# - the save title and, after an arcade game, the high-score name are typed with the pointer resting
#   on OK, and hold every one of those keys: the files the game wrote hold the whole texts typed.
# "vondrel.log" must stay empty. Every wait is bounded. Screenshots stay in $SHOTS (default
# build/ci-shots/input) for a person to look at.
#     .ci/play_input.sh [BUILD_DIR]
# PLAY_DISPLAY=N runs Xvfb on display :N instead of the first free one.
set -euo pipefail
cd "$(dirname "$0")/.."
PLAY_NAME=play_input
source .ci/play_common.sh
play_prepare "${1:-build}" ci-shots/input
SAVE_TITLE="$BUILD/tests/campaign/save_title"
[ -x "$SAVE_TITLE" ] || fail "build save_title first"

# What is typed: every key the demo binds to a window's action, a digit and spaces.
TYPED="Wade Quex cars 4"

# --- where the demo's screens place what is clicked (640x480 window) ---
WHITE="rgb(255,255,255)"
YELLOW="rgb(255,230,57)"
PANEL_BLUE="#003078"
# Main menu column: entries right-aligned at x 620, row k at y 15 + 50 k. New game: campaign,
# arcade, ...; a player count: one player, two players.
MENU_X=600
menu_y() { echo $((15 + 50 * $1 + 8)); }
# The first system's planet window: Kessa, whose shop the pilot starts at, at (200, 240); the game
# menu's button at the bottom right.
KESSA=(200 240)
PLANET_MENU=(605 466)
# The shop: its stock in a row from (150, 70), 32 px apart; the question's Yes.
STOCK_GUN=(150 70)
YES=(441 267)
# The game menu (a 400x300 frame centred): save on its second row, leave on its fourth; the leave
# question's Yes.
SAVE_BUTTON=(320 180)
LEAVE_BUTTON=(320 280)
LEAVE_YES=(359 266)
# The save screen: the rows right-aligned at x 600, the autosave first and "New" below it; OK at the
# lower right.
NEW_ROW=(590 126)
SAVE_OK=(607 461)
# The high-score name entry: its OK below the field.
NAME_OK=(318 360)

start_xvfb
REMOVE_GAME_AT_EXIT=1

# How many pixels of a rectangle (x, y, width, height) of a screenshot have the colour.
white_in() { colour_count "$1" "$2" "$3" "$4" "$5" "$WHITE"; }
menu_entries() {
    local rects=() k
    for k in 0 1 2 3 4 5 6; do rects+=("576 $((15 + 50 * k)) 44 30"); done
    colour_counts "$1" "$WHITE" "${rects[@]}" | awk '$1 >= 30 { n++ } END { print n + 0 }'
}
main_column() { [ "$(menu_entries "$1")" = 7 ]; }
new_game() { [ "$(menu_entries "$1")" = 4 ]; }
players() { [ "$(menu_entries "$1")" = 3 ]; }
# The ship window: its command column at the top right ("Guides" below "Ship").
ship_window() { [ "$(white_in "$1" 585 33 45 14)" -ge 30 ]; }
# A dialog's panel in the middle of the screen (the ship window's tips, a question).
panel() { [ "$(colour_count "$1" 200 200 240 60 "$PANEL_BLUE")" -ge 3000 ]; }
# The flight's question ("Quit the flight?"), in the head-up texts' yellow in the middle of the screen.
flight_question() { [ "$(colour_count "$1" 200 228 240 24 "$YELLOW")" -ge 30 ]; }
# The first system's planet window: Kessa's disc lit.
kessa() {
    [ "$(convert "$SHOTS/$1.png" -crop 30x30+185+225 +repage -colorspace Gray -threshold 30% \
        -format "%[fx:int(mean*w*h+0.5)]" info:)" -ge 800 ]
}
# The shop: its first command ("Sell") at the top right, no planet.
shop() { [ "$(white_in "$1" 580 8 50 20)" -ge 30 ] && ! kessa "$1"; }
# The game menu: its save row.
game_menu() { [ "$(white_in "$1" 260 168 120 24)" -ge 30 ]; }
# The save screen: a row at the autosave's place.
save_screen() { [ $(($(white_in "$1" 560 86 40 14) + $(colour_count "$1" 560 86 40 14 "$YELLOW"))) -ge 16 ]; }
name_entry() { [ "$(white_in "$1" 280 112 80 14)" -ge 30 ]; }

# Takes screenshots until the check passes, for at most the seconds given.
wait_for() {
    local name=$1 seconds=$2 check=$3 step
    for step in $(seq $((seconds * 2))); do
        sleep 0.5
        shot "$name"
        "$check" "$name" && return 0
    done
    fail "$name: $check did not pass within $seconds s"
}
# Types the text as a keyboard does, with the pointer resting at (x, y), after taking back what the
# field held (BackSpace, the given number of times).
type_at() {
    local x=$1 y=$2 erase=$3 text=$4
    find_window
    xdotool mousemove --window "$WINDOW" "$x" "$y"
    sleep 0.5
    for _ in $(seq "$erase"); do key BackSpace; done
    xdotool type --delay 150 "$text"
    sleep 0.5
}
# Presses the button with the pointer where it rests.
press_here() {
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep 0.5
}

START=$(date +%s)
GAME=$(mktemp -d)
"$MAKE_DEMO" "$GAME"
launch_game
shot 1-main
main_column 1-main || fail "1-main: not the main column"

# Player 2's window key (R) and its other action keys, pressed while the menus read player 1's.
for k in r q e; do key "$k"; done
click_until 2-new-game "$MENU_X" "$(menu_y 0)" new_game
click_until 3-players "$MENU_X" "$(menu_y 0)" players
click "$MENU_X" "$(menu_y 1)"
sleep 2
shot 4-two-player-flight
ship_window 4-two-player-flight && fail "4-two-player-flight: a ship window opened by itself at the start"
panel 4-two-player-flight && fail "4-two-player-flight: a window opened by itself at the start"

# C opens the ship window with its tips; Escape closes the tips, Escape the window.
key c
wait_for 5-ship-window 5 ship_window
panel 5-ship-window || fail "5-ship-window: no tips over the ship window"
key Escape
shot 6-tips-closed
ship_window 6-tips-closed || fail "6-tips-closed: the Escape that closed the tips closed the ship window too"
panel 6-tips-closed && fail "6-tips-closed: the tips did not close"
key Escape
sleep 0.5
shot 7-flight-again
ship_window 7-flight-again && fail "7-flight-again: the ship window did not close"
flight_question 7-flight-again && fail "7-flight-again: the flight asks a question after the window closed"
sleep 1
shot 8-flight-goes-on
flight_question 8-flight-goes-on && fail "8-flight-goes-on: the flight asks a question after the window closed"
wait_for 9-first-system 45 kessa

# Kessa's shop: the gun bought; the pointer shows it (its yellow barrel) where it rests.
click_until 10-shop "${KESSA[@]}" shop
key Escape
click "${STOCK_GUN[@]}"
shot 11-buy-question
click "${YES[@]}"
find_window
xdotool mousemove --window "$WINDOW" 300 330
sleep 0.6
shot 12-bought
[ "$(colour_count 12-bought 296 326 40 40 "$YELLOW")" -ge 12 ] || fail "12-bought: the pointer does not show the item bought"

# The save: the title typed with the pointer on OK, saved with Enter, read back from the file.
key Escape
shot 13-game-menu
game_menu 13-game-menu || click_until 13-game-menu "${PLANET_MENU[@]}" game_menu
click_until 14-save "${SAVE_BUTTON[@]}" save_screen
click "${NEW_ROW[@]}"
click "${NEW_ROW[@]}"
type_at "${SAVE_OK[@]}" 3 "$TYPED"
shot 15-title-typed
save_screen 15-title-typed || fail "15-title-typed: the save screen closed while the title was typed"
[ -e "$GAME/Saves/00000001.gsf" ] && fail "15-title-typed: the game was saved before the title was confirmed"
key Return
wait_for 16-saved 5 kessa
TITLE=$(cd "$GAME" && "$SAVE_TITLE" 'Saves\00000001.gsf') || fail "16-saved: no save"
[ "$TITLE" = "$TYPED" ] || fail "16-saved: the save's title is \"$TITLE\", not \"$TYPED\""

# Leaving the game; an arcade game whose score takes the name typed with the pointer on OK.
click_until 17-game-menu "${PLANET_MENU[@]}" game_menu
click "${LEAVE_BUTTON[@]}"
click "${LEAVE_YES[@]}"
wait_for 18-main 5 main_column
click_until 19-new-game "$MENU_X" "$(menu_y 0)" new_game
click_until 20-players "$MENU_X" "$(menu_y 1)" players
click "$MENU_X" "$(menu_y 0)"
sleep 2
key Escape
key y
wait_for 21-name-entry 10 name_entry
type_at "${NAME_OK[@]}" 8 "$TYPED"
shot 22-name-typed
name_entry 22-name-typed || fail "22-name-typed: the name entry closed while the name was typed"
press_here
shot 23-high-scores
grep -aq "$TYPED" "$GAME/HighScores.HISC" || fail "23-high-scores: the high-score file does not hold \"$TYPED\""
key Escape
wait_for 24-main 5 main_column
kill -TERM "$GAME_PID"
wait "$GAME_PID" || fail "the game ended with status $? on SIGTERM"
GAME_PID=""
[ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
echo "== typed and pressed keys reached what they were meant for under Xvfb in $(($(date +%s) - START)) s"
