#!/usr/bin/env bash
# A tour of the demo game's screens as a user meets them, under Xvfb with injected mouse and key
# events (xdotool): the settings, high-score, load and credits screens of the main menu; a campaign
# whose pilot travels inside the first star system (the travel question, the autosave), opens the
# galaxy map, travels to the second system and talks with the foreman of Dunmar; an arcade game whose
# score goes into the high-score table under a typed name; and the main screen in full screen on a
# wide display, where the 4:3 picture fills the height between black bars and takes clicks. Every
# screenshot is checked for flat placeholder boxes (.ci/find_boxes.awk) and for what the screen must
# show, read by place and colour, the dialogs' panels for what shows through them; "vondrel.log"
# must stay empty. Ends by itself (every wait is bounded). Screenshots stay in $SHOTS (default
# build/ci-shots/tour) for a person to look at.
#     .ci/play_tour.sh [BUILD_DIR]
# It runs Xvfb on displays :85 and :86; PLAY_DISPLAY=N takes :N and :N+1 instead.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
PLAY_NAME=play_tour
source .ci/play_common.sh
play_prepare "${1:-build}" ci-shots/tour

# --- where the demo's screens place what is clicked (640x480 pictures) ---
# Main menu column: entries right-aligned at x 620, row k at y 15 + 50 k (font "BigMenu").
MENU_X=600
menu_y() { echo $((15 + 50 * $1 + 8)); }
# List screens (input settings, high scores, load): OK at the lower right, Cancel left of it.
CANCEL_X=540
BUTTONS_Y=464
# The first system's planet window: the planets on a row at y 240, the galaxy button in the upper
# right corner, the game menu's in the lower right; the second planet's description box closes on
# Escape. The pilot starts at Kessa.
KESSA_X=200
ORIN_X=440
PLANET_Y=240
GALAXY_BUTTON=(600 15)
# A star-system window: its galaxy map button in the upper right corner.
MAP_BUTTON=(600 15)
# The galaxy map: the three systems' stars.
VESTA=(200 280)
TARVOS=(320 200)
OSSIAN=(440 280)
# The second system's window: Dunmar's place; Dunmar's window: the talk button, the game menu button.
DUNMAR=(220 280)
TALK_BUTTON=(400 288)
GAME_MENU_BUTTON=(600 465)
# The conversation: answers stacked upwards from the panel's foot, 20 pixels apart.
answer_y() { echo $((405 - 20 * $1)); }
# A question box of the least size (200x100) over the middle: Yes and No on its bottom row.
YES=(358 266)
# The game menu (a 400x300 frame centred): Quit on its fourth row.
QUIT=(320 280)
# The high-score name entry: the field in the middle, OK below it.
NAME_OK=(318 360)

XVFB_PID=""
cleanup() {
    [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy


# A virtual display of the size on the display number given (one of the two this script may use).
# A display another X server holds would take the game's window and answer for it: the tour stops.
TOUR_DISPLAY=${PLAY_DISPLAY:-85}
start_display() {
    [ -n "$XVFB_PID" ] && { kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; }
    local holder
    holder=$(tr -d ' ' 2>/dev/null <"/tmp/.X$1-lock" || true)
    [ -n "$holder" ] && [ -d "/proc/$holder" ] && fail "display :$1 is in use (PLAY_DISPLAY=N runs the tour on :N and :N+1)"
    Xvfb ":$1" -screen 0 "$2" -nolisten tcp 2>/dev/null &
    XVFB_PID=$!
    export DISPLAY=":$1"
    for _ in $(seq 50); do
        xdotool getmouselocation >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "Xvfb did not start on :$1"
}

# The window's screenshot, checked for placeholder boxes.
shot() {
    find_window
    import -window "$WINDOW" "$SHOTS/$1.png"
    no_boxes "$1"
}
no_boxes() {
    local boxes
    boxes=$(convert "$SHOTS/$1.png" -depth 8 txt:- | awk -f "$ROOT/.ci/find_boxes.awk")
    [ -z "$boxes" ] || fail "$1: a placeholder box shows: $boxes"
}
# How many pixels of a rectangle (x, y, width, height) of a screenshot are lit.
lit_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 30% \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
text_at() { [ "$(lit_count "$@")" -ge 30 ]; }
# How many pixels of a rectangle are not black.
shown_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 5% \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
# How many pixels of a rectangle are close to a colour (#RRGGBB).
colour_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -fill white -fuzz 12% -opaque "$6" -fill black \
        +opaque white -colorspace Gray -format "%[fx:int(mean*w*h+0.5)]" info:
}
menu_entries() {
    local n=0 k
    for k in 0 1 2 3 4 5 6; do text_at "$1" 576 $((15 + 50 * k)) 44 30 && n=$((n + 1)); done
    echo "$n"
}
# The game reads the buttons once a frame (28 ms): the pointer rests on its control for a few frames,
# the button is held for about five, and the pointer then moves off the menus.
click() {
    find_window
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    sleep 0.5
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep 0.5
    xdotool mousemove --window "$WINDOW" 20 300 2>/dev/null || true
    sleep 0.4
}
key() {
    find_window
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    sleep 0.5
}
# Takes screenshots until the check passes, for at most the seconds given.
wait_for() {
    local name=$1 seconds=$2 check=$3 waited
    for waited in $(seq "$seconds"); do
        sleep 1
        find_window
        import -window "$WINDOW" "$SHOTS/$name.png"
        "$check" "$name" && { no_boxes "$name"; return 0; }
    done
    fail "$name: $check did not pass within $seconds s"
}

# --- what the screens must show ---
main_column() { [ "$(menu_entries "$1")" = 7 ]; }
options_column() { [ "$(menu_entries "$1")" = 3 ]; }
new_game_column() { [ "$(menu_entries "$1")" = 4 ]; }
players_column() { options_column "$1"; }
# The input settings: the mouse's blue button and the joystick's red knob beside the rows.
input_pictures() { [ "$(colour_count "$1" 430 330 25 20 '#468CFF')" -ge 10 ] && [ "$(colour_count "$1" 125 385 30 30 '#E63228')" -ge 30 ]; }
# The dialogs' panels are see-through: inside, three quarters of the demo's panel blue (#003078 over
# black) and a quarter of what lies under. In a rectangle of the panel without text, every pixel but
# a few (what moved in between) is that blend of a screenshot of the window without the panel, and
# enough of that screenshot is lit there (a picture under the panel) for the blend to differ from the
# flat blue.
PANEL_BLUE='#003078'
see_through() {
    local file=$1 under=$2 x=$3 y=$4 w=$5 h=$6 lit differing
    lit=$(lit_count "$under" "$x" "$y" "$w" "$h")
    differing=$(convert \( "$SHOTS/$under.png" -crop "${w}x${h}+${x}+${y}" +repage \) \
        \( -size "${w}x${h}" "xc:$PANEL_BLUE" \) \( "$SHOTS/$file.png" -crop "${w}x${h}+${x}+${y}" +repage \) \
        -alpha off -fx "abs(0.25*u[0]+u[1]-u[2])" -separate -evaluate-sequence max -threshold 4% \
        -format "%[fx:int(mean*w*h+0.5)]" info:)
    [ "$lit" -ge $((w * h / 5)) ] || fail "$file: too little lies under the panel at ($x, $y) to see through ($lit lit pixels)"
    [ "$differing" -le $((w * h / 50)) ] ||
        fail "$file: the panel at ($x, $y) is not see-through: $differing of $((w * h)) pixels are no blend of its blue and $under"
}
# Stars under a panel show through it dimmed: lit pixels in a rectangle of the panel without text,
# none of them as bright as an uncovered star.
dimmed_stars() {
    local bright
    bright=$(convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 60% \
        -format "%[fx:int(mean*w*h+0.5)]" info:)
    [ "$(lit_count "$@")" -ge 8 ] && [ "$bright" = 0 ]
}
# The screen options' dialog: the panel's blue beside the rows.
options_dialog() { [ "$(colour_count "$1" 390 195 60 80 "$PANEL_BLUE")" -ge 4000 ]; }
# The list screens' frame: the rule under the title and the horns' gold at the edges.
list_frame() { [ "$(colour_count "$1" 300 58 40 5 '#A0C8F8')" -ge 10 ]; }
horns() { [ "$(shown_count "$1" 0 180 30 40)" -ge 300 ] && [ "$(shown_count "$1" 610 180 30 40)" -ge 300 ]; }
high_score_chooser() { list_frame "$1" && horns "$1" && text_at "$1" 240 85 160 20; }
high_score_rows() { list_frame "$1" && horns "$1" && text_at "$1" 25 105 120 20; }
credits() { ! main_column "$1"; }
planets_at() {
    [ "$(lit_count "$1" $((KESSA_X - 15)) $((PLANET_Y - 15)) 30 30)" -ge 800 ] &&
        [ "$(lit_count "$1" $((ORIN_X - 15)) $((PLANET_Y - 15)) 30 30)" -ge 800 ]
}
# The first system's planet window: the planets and the caption over them.
orbit() { planets_at "$1" && text_at "$1" 10 10 200 20; }
flight_stars() { [ "$(lit_count "$1" 0 0 640 480)" -ge 60 ]; }
description_box() { [ "$(colour_count "$1" 290 250 60 20 "$PANEL_BLUE")" -ge 800 ]; }
# A star-system window: the galaxy map button and the time steps along the foot.
system_window() { text_at "$1" 560 8 70 14 && text_at "$1" 115 458 180 14; }
question_box() { [ "$(colour_count "$1" 230 200 30 20 "$PANEL_BLUE")" -ge 300 ]; }
galaxy_tips() { [ "$(colour_count "$1" 110 190 60 40 "$PANEL_BLUE")" -ge 1500 ]; }
# The galaxy map: the three stars at their places.
star_at() { [ "$(lit_count "$1" $(($2 - 6)) $(($3 - 6)) 12 12)" -ge 40 ]; }
galaxy_map() {
    star_at "$1" "${VESTA[@]}" && star_at "$1" "${TARVOS[@]}" && star_at "$1" "${OSSIAN[@]}" && ! galaxy_tips "$1"
}
# Dunmar's window: the planet's rust-red picture on the left, the talk button on the right.
dunmar() { [ "$(shown_count "$1" 150 220 60 60)" -ge 3000 ] && text_at "$1" 330 280 200 20; }
# The conversation: the panel, the foreman's helmet, the question and the answers.
conversation() {
    [ "$(colour_count "$1" 40 380 60 30 "$PANEL_BLUE")" -ge 1500 ] && [ "$(shown_count "$1" 95 170 50 20)" -ge 500 ] &&
        text_at "$1" 220 115 300 20 && text_at "$1" 220 $(($(answer_y 0) - 12)) 150 14
}
game_menu() { text_at "$1" 260 120 120 24 && text_at "$1" 280 270 80 24; }
name_entry() { text_at "$1" 280 112 80 14 && horns "$1"; }

START=$(date +%s)
start_display "$TOUR_DISPLAY" 800x600x24
GAME=$(mktemp -d)
"$MAKE_DEMO" "$GAME"
launch_game

# The main screen and its menu's screens.
shot 1-main
main_column 1-main || fail "1-main: the main column is not all there"
click_until 2-options-column "$MENU_X" "$(menu_y 5)" options_column
click_until 3-input-settings "$MENU_X" "$(menu_y 0)" input_pictures
click_until 4-options-again "$CANCEL_X" "$BUTTONS_Y" options_column
click_until 5-screen-options "$MENU_X" "$(menu_y 1)" options_dialog
# The main screen's ship, between the rows' "Yes" and "No".
see_through 5-screen-options 4-options-again 302 195 24 90
click_until 6-options-closed 520 385 options_column
click_until 7-main "$MENU_X" "$(menu_y 2)" main_column
click_until 8-high-scores "$MENU_X" "$(menu_y 2)" high_score_chooser
click_until 9-high-score-table 607 "$BUTTONS_Y" high_score_rows
click_until 10-main "$CANCEL_X" "$BUTTONS_Y" main_column
click_until 11-load-game "$MENU_X" "$(menu_y 1)" list_frame
click_until 12-main "$CANCEL_X" "$BUTTONS_Y" main_column
click_until 13-credits "$MENU_X" "$(menu_y 4)" credits
for _ in 1 2 3; do
    click 320 240
    shot 14-main
    main_column 14-main && break
done
main_column 14-main || fail "14-main: the credits did not end on a click"

# The campaign: new game, campaign, one player; the flight over the stars; the first system.
click_until 15-new-game "$MENU_X" "$(menu_y 0)" new_game_column
click_until 16-campaign-players "$MENU_X" "$(menu_y 0)" players_column
click "$MENU_X" "$(menu_y 0)"
sleep 2
shot 17-flight
flight_stars 17-flight || fail "17-flight: no stars behind the flight"
wait_for 18-first-system 45 orbit
click_until 19-description "$ORIN_X" "$PLANET_Y" description_box
# A message box: the first planet under it, below the text.
see_through 19-description 18-first-system 172 236 56 26
key Escape
# Inside the system: the question, then the trip; the autosave of the trip replaces the flight's.
click_until 20-vesta "${GALAXY_BUTTON[@]}" system_window
SAVED=$(stat -c %Y%N "$GAME"/Saves/*.gsf)
click_until 21-travel-question "$ORIN_X" "$PLANET_Y" question_box
click_until 22-orin "${YES[@]}" orbit
[ "$(stat -c %Y%N "$GAME"/Saves/*.gsf)" != "$SAVED" ] || sleep 1
[ "$(stat -c %Y%N "$GAME"/Saves/*.gsf)" != "$SAVED" ] || fail "22-orin: the trip wrote no autosave"
# The galaxy map: its tips the first time, the three systems, the trip to the second.
click_until 23-vesta-again "${GALAXY_BUTTON[@]}" system_window
click_until 24-galaxy-tips "${MAP_BUTTON[@]}" galaxy_tips
key Escape
shot 25-galaxy-map
galaxy_map 25-galaxy-map || fail "25-galaxy-map: not the three systems"
# The tips over the map: the star of Vesta under them.
see_through 24-galaxy-tips 25-galaxy-map $((VESTA[0] - 8)) $((VESTA[1] - 8)) 16 16
click_until 26-tarvos "${TARVOS[@]}" system_window
click_until 27-dunmar "${DUNMAR[@]}" dunmar
# The conversation: a question asked, its answer, the end.
click_until 28-conversation "${TALK_BUTTON[@]}" conversation
dimmed_stars 28-conversation 230 160 360 170 || fail "28-conversation: no stars show through the panel dimmed"
click_until 29-conversation-answer 280 "$(answer_y 1)" conversation
click_until 30-dunmar-again 260 "$(answer_y 0)" dunmar
# Leaving the game from Dunmar's game menu.
click_until 31-game-menu "${GAME_MENU_BUTTON[@]}" game_menu
# Dunmar's planet under the game menu, left of its buttons.
see_through 31-game-menu 30-dunmar-again 140 200 100 100
click_until 32-leave-question "${QUIT[@]}" question_box
click_until 33-main "${YES[@]}" main_column

# An arcade game: its score goes into the high-score table under the name typed.
click_until 34-new-game "$MENU_X" "$(menu_y 0)" new_game_column
click_until 35-arcade-players "$MENU_X" "$(menu_y 1)" players_column
click "$MENU_X" "$(menu_y 0)"
wait_for 36-name-entry 45 name_entry
click 316 240
for _ in 1 2 3 4 5 6 7 8; do key BackSpace; done
xdotool type --delay 150 "Tour"
sleep 0.5
shot 37-name-typed
click_until 38-high-score-table "${NAME_OK[@]}" high_score_rows
click_until 39-main "$CANCEL_X" "$BUTTONS_Y" main_column
click "$MENU_X" "$(menu_y 6)"
click "${YES[@]}"
game_ends
grep -q "Tour" "$GAME/HighScores.HISC" || fail "the high-score file does not hold the name typed"
rm -rf "$GAME"

# Full screen on a wide display: the picture fills the display's height, centred between black bars,
# and a click at a scaled place hits what is drawn there.
start_display $((TOUR_DISPLAY + 1)) 1280x720x24
GAME=$(mktemp -d)
"$MAKE_DEMO" "$GAME"
# "Screen.SCRS": full screen (bit 1), stars, status and sound (bits 2-4), 16 bits, 640x480.
printf 'SESCRC\x12\x00\x00\x00\x00\x00\x1e\x00\x10\x00\x80\x02\xe0\x01' >"$GAME/Screen.SCRS"
launch_game
scaled() { echo $((($1 * 3 + 1) / 2)); }
full_shot() {
    import -window root "$SHOTS/$1.png"
    no_boxes "$1"
}
full_column() {
    local n=0 k
    for k in 0 1 2 3 4 5 6; do text_at "$1" $((160 + $(scaled 576))) "$(scaled $((15 + 50 * k)))" 66 45 && n=$((n + 1)); done
    echo "$n"
}
bars_black() { [ "$(lit_count "$1" 0 0 150 720)" = 0 ] && [ "$(lit_count "$1" 1130 0 150 720)" = 0 ]; }
full_shot 40-full-screen
[ "$(full_column 40-full-screen)" = 7 ] || fail "40-full-screen: the main column is not at its scaled places"
bars_black 40-full-screen || fail "40-full-screen: the bars beside the picture are not black"
for try in 1 2 3; do
    xdotool mousemove $((160 + $(scaled "$MENU_X"))) "$(scaled "$(menu_y 5)")"
    sleep 0.5
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep 0.5
    # Off the column, whose places the pointer would light.
    xdotool mousemove 400 450
    sleep 0.5
    full_shot 41-full-screen-options
    [ "$(full_column 41-full-screen-options)" = 3 ] && break
    [ "$try" = 3 ] && fail "41-full-screen-options: a click at the scaled place did not open the options column"
done
kill -TERM "$GAME_PID"
wait "$GAME_PID" || fail "the full-screen game ended with status $? on SIGTERM"
GAME_PID=""
[ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
rm -rf "$GAME"
echo "== the demo game's screens were toured under Xvfb in $(($(date +%s) - START)) s: no placeholder box, every screen as it should be"
