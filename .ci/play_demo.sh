#!/usr/bin/env bash
# The demo game played as a user plays it, under Xvfb with injected mouse and key events (xdotool),
# checked on what a player sees: screenshots are read by colour and place, in the demo content's own
# colours (the pilot's ship blue, its shots yellow, the enemies red and orange, the shop's planet
# green, the other planet grey, texts white, highlighted texts and the head-up texts yellow).
#
# Both plays start in a fresh game folder with the campaign for one player: its flight (left
# without input; the ship still flying after two seconds), the star system with its two planets,
# the shop opened from one of them, the game menu's save (its row names the star system and the
# planet), the star system again after the save, and leaving the game. The same input must leave
# the same save files in both. The first play meets damaged explosion sounds, which play nothing.
# The first play then goes on: an arcade game for one player, where a
# shot leaves the ship within half a second of Space, a short sweep of fire destroys an enemy and
# raises the score above 0, and the ship is still flying; then the save, loaded from the main menu,
# listed with its place and date and entered again in the star system, not in the flight.
# "vondrel.log" must stay empty. Every wait is bounded; the whole ends within two and a half
# minutes. Screenshots stay in $SHOTS (default build/ci-shots/play) for a person to look at.
#     .ci/play_demo.sh [BUILD_DIR]
# PLAY_DISPLAY=N runs Xvfb on display :N instead of the first free one.
set -euo pipefail
cd "$(dirname "$0")/.."
PLAY_NAME=play_demo
source .ci/play_common.sh
play_prepare "${1:-build}" ci-shots/play

# --- what the script expects of the screens (640x480 window, the demo archive's screen setting) ---
# Colours of the demo content as the window shows them; a pixel matches within 12 percent.
WHITE="rgb(255,255,255)"
YELLOW="rgb(255,230,57)"
BLUE="rgb(65,139,255)"
GREEN="rgb(57,222,90)"
GREY="rgb(148,148,164)"
ORANGE="rgb(255,148,33)"
# Main menu column (BuildMainMenu): entries right-aligned 20 px from the right edge, y = 15 + 50 k,
# font "BigMenu" (the demo's is 10x16 solid glyphs in colour 1, white). A click at (600, y + 8) hits
# the entry of row k; the same place holds the first entry of every column. New game: campaign,
# arcade, scenario, back; a player count: one player, two players, back.
MENU_X=600
menu_y() { echo $((15 + 50 * $1 + 8)); }
# Game menu (OpenGameMenu): a 400x300 frame centred, buttons centred at frame x 200, y 40 + 50 k:
# settings, save, load, leave, back.
GAME_MENU_X=320
game_menu_y() { echo $((90 + 40 + 50 * $1)); }
# A question box of the least size, 200x100, centred; its answers right-aligned on its bottom row,
# "No" then "Yes" leftwards, in the demo's 6-px-a-character "TextButton" font: "Yes" ends at box x
# 148, its baseline at box y 80. The quit question and the game menu's leave question are such
# boxes.
YES_X=359
YES_Y=266
# The flight: level length 600 steps plus the 90-step end countdown, 28 ms a step: about 20 s; the
# play waits at most this long for the window that follows it.
FLIGHT_SECONDS=40
# The head-up texts: the score at the top left from x 10 (5-pixel digits a pixel apart), 7 pixels
# high from y 14. A score above 0 (the enemies are worth 30 each) has a second digit from x 16.
# The pilot's ship (24 px) follows the pointer; its shots fly straight up from it.
# The star system (the planet window of "Vesta"): two planets, discs 64 px across, centred on a row
# at y 240, the shop's planet (green land, blue sea) at x 200, the other (grey) at x 440.
SHOP_PLANET_X=200
OTHER_PLANET_X=440
PLANET_Y=240
# The planet window's game-menu button at the bottom right.
PLANET_MENU_X=605
PLANET_MENU_Y=466
# Save and load screens: rows right-aligned at x 600 with their bottoms at y 100 + 30 k (the
# autosave first); the info of the chosen row at the left in yellow: the pilot at y 96, the star
# system at y 120, the planet at y 144, the date ("year/day hour:minute") at y 168; OK at the bottom
# right.
LOAD_OK_X=608
LOAD_OK_Y=464

start_xvfb

# How many patches of the colour, each at least the given number of pixels, the screenshot holds.
patches() {
    convert "$SHOTS/$1.png" -alpha off -fuzz 12% -fill magenta -opaque "$2" -fuzz 0 -fill black +opaque magenta \
        -fill white -opaque magenta -define connected-components:verbose=true \
        -define "connected-components:area-threshold=$3" -connected-components 8 null: |
        grep -c "srgb(255,255,255)" || true
}
# Whether a white text stands in the rectangle: more white pixels than the few stars of the
# background (2x2 pixels each) could light.
text_at() { [ "$(colour_count "$1" "$2" "$3" "$4" "$5" "$WHITE")" -ge 30 ]; }
# Whether a row of the save and load screens stands at the rectangle: white, or yellow when chosen.
row_at() {
    [ $(($(colour_count "$1" "$2" "$3" 40 14 "$WHITE") + $(colour_count "$1" "$2" "$3" 40 14 "$YELLOW"))) -ge 16 ]
}
# How many of the seven places of a menu column hold an entry: the last 44 pixels of each line.
menu_entries() {
    local rects=() k
    for k in 0 1 2 3 4 5 6; do rects+=("576 $((15 + 50 * k)) 44 30"); done
    colour_counts "$1" "$WHITE" "${rects[@]}" | awk '$1 >= 30 { n++ } END { print n + 0 }'
}
# How many pixels of a rectangle (x, y, width, height) of a screenshot are lit.
lit_count() {
    convert "$SHOTS/$1.png" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 30% \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
# The planets of the star system: discs lighting nearly all of the 30x30 square round each centre,
# the shop's with its green land, the other grey.
planets_at() {
    local shop=($((SHOP_PLANET_X - 15)) $((PLANET_Y - 15)) 30 30) other=($((OTHER_PLANET_X - 15)) $((PLANET_Y - 15)) 30 30)
    [ "$(lit_count "$1" "${shop[@]}")" -ge 800 ] && [ "$(lit_count "$1" "${other[@]}")" -ge 800 ] &&
        [ "$(colour_count "$1" "${shop[@]}" "$GREEN")" -ge 200 ] &&
        [ "$(colour_count "$1" "${other[@]}" "$GREY")" -ge 200 ]
}
# The pilot's ship near a place: its blue hull in the 48x48 square round it.
ship_at() { [ "$(colour_count "$1" $(($2 - 24 < 0 ? 0 : $2 - 24)) $(($3 - 24)) 48 48 "$BLUE")" -ge 40 ]; }
# Shots of the pilot's (2x8, yellow) in the column above a place: at least one whole shot.
shots_above() { [ "$(colour_count "$1" $(($2 - 6)) 30 12 $(($3 - 50)) "$YELLOW")" -ge 16 ]; }
# The score has a second digit: more than 0.
score_above_zero() { [ "$(colour_count "$1" 16 10 30 14 "$YELLOW")" -ge 5 ]; }
# Enemies on the screen: their orange wings (their red hulls are no larger than a shot of theirs).
enemies() { patches "$1" "$ORANGE" 20; }
# Clicks the first entry of the menu columns, shown as $1-N, until the column of $2 entries follows
# the one in which the click was made; the entries of the column before come as $3. A click the
# game missed leaves the column as it was, one taken twice skips one: at most three tries.
choose() {
    local shot=$1 after=$2 row=$3 try n
    for try in 1 2 3; do
        click "$MENU_X" "$(menu_y "$row")"
        shot "$shot"
        n=$(menu_entries "$shot")
        [ "$n" = "$after" ] && return 0
    done
    fail "$shot: the menu showed $n entries, not $after"
}
# Starts the program in a fresh game folder and waits for its main column.
start_game() {
    GAME=$(mktemp -d)
    "$MAKE_DEMO" "$GAME"
    [ "${2:-}" = damaged-sounds ] && damage_explosion_sounds
    launch_game
    shot "$1-main"
    [ "$(menu_entries "$1-main")" = 7 ] || fail "$1-main: the main column's seven entries are not all there"
}
# Explosion sounds damaged as a user might drop such files in: WAVE files whose format says 0
# channels, loose in the game folder, which is read before the archive. They play nothing; the game
# goes on as with its own.
damage_explosion_sounds() {
    local file
    for file in Misc/ShipExplosion.wav Explosions/Explosion1.wav; do
        mkdir -p "$GAME/$(dirname "$file")"
        printf 'RIFF\x28\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x00\x00\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00data\x04\x00\x00\x00\x00\x00\x00\x00' \
            >"$GAME/$file"
    done
}
# The main column again, after a game ended.
main_again() {
    local waited
    for waited in $(seq 10); do
        shot "$1"
        [ "$(menu_entries "$1")" = 7 ] && return 0
        sleep 0.5
    done
    fail "$1: not the main column"
}
# A question box stands in the middle of the screen: its white "Yes" where the box puts it (nothing
# white stands there on the main screen or the game menu).
question_at() { [ "$(colour_count "$1" $((YES_X - 20)) $((YES_Y - 9)) 24 12 "$WHITE")" -ge 12 ]; }
# Clicks a button that asks a question, and Yes in the box; at most three tries each.
ask_and_answer_yes() {
    local shot=$1 x=$2 y=$3 try
    for try in 1 2 3; do
        click "$x" "$y"
        shot "$shot"
        question_at "$shot" && break
        [ "$try" = 3 ] && fail "$shot: no question"
    done
    click "$YES_X" "$YES_Y"
}

# The arcade game for one player: shots, an enemy destroyed, the score, the ship.
arcade() {
    choose "$1-13-new-game" 4 0
    choose "$1-14-arcade" 3 1
    click "$MENU_X" "$(menu_y 0)"
    # The ship follows the pointer, left of the enemies' line of fire.
    find_window
    xdotool mousemove --window "$WINDOW" 100 400
    sleep 1
    shot "$1-15-before-fire"
    shots_above "$1-15-before-fire" 100 400 && fail "$1-15-before-fire: shots before Space"
    xdotool keydown space
    sleep 0.4
    shot "$1-16-fire"
    shots_above "$1-16-fire" 100 400 || fail "$1-16-fire: no shot above the ship within half a second of Space"
    # The sweep: the ship under each enemy in turn, firing.
    local x
    for x in 160 240 320 400 480; do
        xdotool mousemove --window "$WINDOW" "$x" 400
        sleep 0.6
    done
    xdotool keyup space
    xdotool mousemove --window "$WINDOW" 100 400
    sleep 0.5
    shot "$1-17-after-sweep"
    score_above_zero "$1-17-after-sweep" || fail "$1-17-after-sweep: the score is still 0"
    local left
    left=$(enemies "$1-17-after-sweep")
    [ "$left" -lt 3 ] || fail "$1-17-after-sweep: $left enemies left of 3"
    # The ship, on its way back to the pointer, somewhere on its row.
    [ "$(colour_count "$1-17-after-sweep" 0 376 640 48 "$BLUE")" -ge 40 ] ||
        fail "$1-17-after-sweep: the ship is not flying"
    # Escape asks whether to quit the flight, Y answers yes: the game ends in the high-score table's
    # name entry; Escape enters the name shown and Escape again closes the table.
    key Escape
    key y
    local waited
    for waited in $(seq 10); do
        sleep 0.5
        shot "$1-18-name-entry"
        text_at "$1-18-name-entry" 280 112 80 14 && break
        [ "$waited" = 10 ] && fail "$1-18-name-entry: the flight did not end in the high-score name entry"
    done
    key Escape
    sleep 0.5
    shot "$1-18-high-scores"
    key Escape
    main_again "$1-18-main-again"
}

# The campaign: the flight without input, the star system, the shop, the save; then leaving the
# game.
campaign() {
    choose "$1-1-new-game" 4 0
    choose "$1-2-campaign" 3 0
    click "$MENU_X" "$(menu_y 0)"
    # The flight puts the pointer on the ship when it starts, in the middle; the pointer goes to (20,
    # 400), out of the enemies' line of fire, and the ship with it, once the flight has started (the
    # first enemy shot takes three seconds to come down): both plays then fly the same flight.
    local tries
    for tries in $(seq 10); do
        xdotool mousemove --window "$WINDOW" 20 400
        sleep 0.3
        shot "$1-3-flight-start"
        ship_at "$1-3-flight-start" 20 400 && break
        [ "$tries" = 10 ] && fail "$1-3-flight-start: the ship did not follow the pointer"
    done
    sleep 2
    shot "$1-4-flight"
    ship_at "$1-4-flight" 20 400 || fail "$1-4-flight: the ship is not flying after two seconds"
    [ "$(enemies "$1-4-flight")" -ge 1 ] || fail "$1-4-flight: no enemy came"
    local waited try
    for waited in $(seq "$FLIGHT_SECONDS"); do
        sleep 1
        shot "$1-5-flight-end"
        planets_at "$1-5-flight-end" && break
        [ "$waited" = "$FLIGHT_SECONDS" ] && fail "$1-5-flight-end: no star system after the flight"
    done
    sleep 1
    shot "$1-6-star-system"
    planets_at "$1-6-star-system" || fail "$1-6-star-system: the two planets are not both there"
    # A click on the shop's planet opens the shop (the planets go, its first command shows at the top
    # right), with its tips over it the first time: Escape closes the tips, Escape again the shop,
    # and the game menu opens.
    for try in 1 2 3; do
        click "$SHOP_PLANET_X" "$PLANET_Y"
        shot "$1-7-shop"
        ! planets_at "$1-7-shop" && text_at "$1-7-shop" 580 8 50 20 && break
        [ "$try" = 3 ] && fail "$1-7-shop: the shop's planet did not open the shop"
    done
    sleep 1
    key Escape
    key Escape
    shot "$1-8-game-menu"
    text_at "$1-8-game-menu" $((GAME_MENU_X - 60)) $(($(game_menu_y 1) - 12)) 120 24 ||
        fail "$1-8-game-menu: no save button at ($GAME_MENU_X, $(game_menu_y 1))"
    for try in 1 2 3; do
        click "$GAME_MENU_X" "$(game_menu_y 1)"
        shot "$1-9-save"
        row_at "$1-9-save" 560 86 && break
        [ "$try" = 3 ] && fail "$1-9-save: no row on the save screen"
    done
    # The last row is "New" (the autosave of the flight comes first); chosen, it shows where the
    # game is saved: the star system and the planet.
    local rows=1
    while [ "$rows" -lt 11 ] && row_at "$1-9-save" 560 $((86 + 30 * rows)); do
        rows=$((rows + 1))
    done
    for try in 1 2 3; do
        click 596 $((96 + 30 * (rows - 1)))
        shot "$1-10-save-row"
        [ "$(colour_count "$1-10-save-row" 560 $((86 + 30 * (rows - 1))) 40 14 "$YELLOW")" -ge 10 ] && break
        [ "$try" = 3 ] && fail "$1-10-save-row: the \"New\" row could not be chosen"
    done
    [ "$(colour_count "$1-10-save-row" 20 116 180 14 "$YELLOW")" -ge 20 ] ||
        fail "$1-10-save-row: the save names no star system"
    [ "$(colour_count "$1-10-save-row" 20 140 180 14 "$YELLOW")" -ge 10 ] ||
        fail "$1-10-save-row: the save names no planet"
    # Enter saves without a question; the game goes on in the star system.
    key Return
    for waited in $(seq 10); do
        shot "$1-11-saved"
        planets_at "$1-11-saved" && break
        [ "$waited" = 10 ] && fail "$1-11-saved: the game did not go on in the star system after the save"
        sleep 0.5
    done
    [ -e "$GAME/Saves/00000001.gsf" ] || fail "$1-11-saved: no save file in $GAME/Saves"
    # The game menu's Leave, answered yes: the main column.
    leave_game "$1-12-leave"
}

# Leaves the game from the planet window's game menu.
leave_game() {
    local try
    for try in 1 2 3; do
        click "$PLANET_MENU_X" "$PLANET_MENU_Y"
        shot "$1-menu"
        text_at "$1-menu" $((GAME_MENU_X - 60)) $(($(game_menu_y 3) - 12)) 120 24 && break
        [ "$try" = 3 ] && fail "$1-menu: the game menu did not open"
    done
    ask_and_answer_yes "$1-question" "$GAME_MENU_X" "$(game_menu_y 3)"
    main_again "$1-main"
}

# The save loaded from the main menu: listed with its place and date, and entered in the star system.
load_save() {
    local try waited
    for try in 1 2 3; do
        click "$MENU_X" "$(menu_y 1)"
        shot "$1-19-load"
        row_at "$1-19-load" 560 86 && break
        [ "$try" = 3 ] && fail "$1-19-load: no load screen"
    done
    # The row chosen last (the save just made) is chosen again, and its info shows the star system,
    # the planet and a date later than the first moment of the game ("0/0 0:0" ends at x 70).
    [ "$(colour_count "$1-19-load" 20 116 180 14 "$YELLOW")" -ge 20 ] || fail "$1-19-load: the save names no star system"
    [ "$(colour_count "$1-19-load" 20 140 180 14 "$YELLOW")" -ge 10 ] || fail "$1-19-load: the save names no planet"
    [ "$(colour_count "$1-19-load" 75 164 60 14 "$YELLOW")" -ge 5 ] || fail "$1-19-load: the save has no game date"
    click "$LOAD_OK_X" "$LOAD_OK_Y"
    # A flight would show its field for 20 s first.
    for waited in $(seq 10); do
        sleep 0.5
        shot "$1-20-loaded"
        planets_at "$1-20-loaded" && break
        [ "$waited" = 10 ] && fail "$1-20-loaded: the save did not go on in the star system"
    done
}

# Quits from the main column and waits for the program's end.
quit_game() {
    ask_and_answer_yes "$1-quit" "$MENU_X" "$(menu_y 6)"
    game_ends
}

# One whole play in a fresh game folder (named $1): with "full", the arcade game and the loaded save
# too. The save files it left are copied to $SHOTS/$1-saves.
play() {
    if [ "$2" = full ]; then start_game "$1-0" damaged-sounds; else start_game "$1-0"; fi
    campaign "$1"
    mkdir -p "$SHOTS/$1-saves"
    cp "$GAME"/Saves/*.gsf "$SHOTS/$1-saves/"
    # After the campaign: what the arcade game and the load consume of the random numbers and the
    # game time would make the campaign a different game.
    if [ "$2" = full ]; then
        arcade "$1"
        load_save "$1"
        leave_game "$1-21-leave"
    fi
    quit_game "$1-22"
    rm -rf "$GAME"
}

START=$(date +%s)
play first full
play second campaign
diff -r "$SHOTS/first-saves" "$SHOTS/second-saves" >/dev/null || fail "the same input left different save files"
ELAPSED=$(($(date +%s) - START))
[ "$ELAPSED" -le 150 ] || fail "the plays took $ELAPSED s, more than two and a half minutes"
echo "== the demo game was played twice under Xvfb in $ELAPSED s; both left the same saves"
