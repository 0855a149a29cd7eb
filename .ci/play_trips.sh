#!/usr/bin/env bash
# A long campaign uses no more memory than a short one: under Xvfb with injected mouse events
# (xdotool), the demo campaign for one player flies its first flight, then the pilot travels between
# Kessa and Orin, the two planets of the first star system (the star-system window, the travel
# question, the arrival), TRIPS times (default 40); then, on the galaxy map, opens the first system's
# window from its star and goes back to the map MAP_TRIPS times (default 30). After each trip the
# game's resident memory (VmRSS) is read from /proc; both series go to $SHOTS/rss.txt (one line a
# trip: the series, the trip's number, kB). Each series may grow by at most 300 kB from its 10th
# trip to its last. "vondrel.log" must stay empty, and the game must end in order on SIGTERM. Every
# wait is bounded and on screenshots, never a fixed long sleep. Screenshots of the first two and the
# last trip of each series, and of a screen that was not what it should be, stay in $SHOTS (default
# build/ci-shots/trips).
#     .ci/play_trips.sh [BUILD_DIR]
# PLAY_DISPLAY=N runs Xvfb on display :N instead of the first free one.
set -euo pipefail
cd "$(dirname "$0")/.."
PLAY_NAME=play_trips
source .ci/play_common.sh
play_prepare "${1:-build}" ci-shots/trips
TRIPS=${TRIPS:-40}
MAP_TRIPS=${MAP_TRIPS:-30}
# The growth allowed from the 10th trip of a series to its last, in kB.
MAX_GROWTH_KB=300

# --- where the demo's screens place what is clicked (640x480 window) ---
# Main menu column: entries right-aligned at x 620, y = 15 + 50 k; the first entry of every column
# is at row 0 (new game, campaign, one player).
MENU_X=600
menu_y() { echo $((15 + 50 * $1 + 8)); }
# The first system's planet window: the planets on a row at y 240, Kessa (where the pilot starts) at
# x 200, Orin at x 440; the galaxy button at the top right. A star-system window holds the planets at
# the same places, and its galaxy map button at the same corner.
KESSA_X=200
ORIN_X=440
PLANET_Y=240
CORNER=(600 15)
# The galaxy map: the first system's star.
VESTA=(200 280)
# A question box of the least size (200x100) in the middle: Yes on its bottom row.
YES=(358 266)
# The flight (about 20 s) ends in the first system.
FLIGHT_SECONDS=45

start_xvfb
REMOVE_GAME_AT_EXIT=1
# The game reads the buttons once a frame (28 ms).
CLICK_REST=0.06

# What the window shows, in one word (with a second argument, its screenshot is kept as
# $SHOTS/$1.png): menu-N (a menu column of
# N entries), tips (the galaxy tips' box), question (the travel question's box), system (a
# star-system window: the planets over its time steps), kessa or orin (the planet window of the
# first system at that planet: the planets under the planet's caption, whose long form is Kessa's),
# map (the galaxy map: the first system's star, no caption) or other. One process reads the window
# and every rectangle: the pixels lit in each, or of the demo's panel blue.
LIT=(
    "185 225 30 30"  # Kessa's disc
    "425 225 30 30"  # Orin's disc
    "10 10 200 20"   # a caption
    "280 12 50 16"   # the tail of Kessa's caption
    "115 458 180 14" # a star-system window's time steps
    "194 274 12 12"  # the first system's star on the map
    "576 15 44 30" "576 65 44 30" "576 115 44 30" "576 165 44 30" "576 215 44 30" "576 265 44 30"
    "576 315 44 30" # the seven places of a menu column
)
BLUE=(
    "230 200 30 20"  # the question box
    "110 190 60 40"  # the galaxy tips
)
screen_of() {
    local crops=() rect x y w h write=()
    if [ -n "${2:-}" ]; then write=(-write "$SHOTS/$1.png"); fi
    for rect in "${LIT[@]}"; do
        read -r x y w h <<<"$rect"
        crops+=("(" -clone 0 -crop "${w}x${h}+${x}+${y}" +repage -colorspace Gray -threshold 30% ")")
    done
    for rect in "${BLUE[@]}"; do
        read -r x y w h <<<"$rect"
        crops+=("(" -clone 0 -crop "${w}x${h}+${x}+${y}" +repage -fuzz 12% -fill white -opaque '#003078'
            -fill black +opaque white -colorspace Gray ")")
    done
    convert "x:$WINDOW" -alpha off "${write[@]}" "${crops[@]}" -delete 0 \
        -format "%[fx:int(mean*w*h+0.5)]\n" info: | awk '
        { n[NR] = $1 }
        END {
            for (k = 7; k <= 13; k++) if (n[k] >= 30) entries++
            if (n[15] >= 1500) print "tips"
            else if (n[14] >= 300) print "question"
            else if (n[1] >= 800 && n[2] >= 800 && n[5] >= 30) print "system"
            else if (n[1] >= 800 && n[2] >= 800 && n[3] >= 30) print (n[4] >= 30 ? "kessa" : "orin")
            else if (n[6] >= 40 && n[3] < 30 && n[5] < 30) print "map"
            else if (entries > 0) print "menu-" entries
            else print "other"
        }'
}
# Fails with the screenshot of the moment kept as $SHOTS/$1.png.
fail_at() {
    screen_of "$1" keep >/dev/null || true
    fail "$1: $2"
}
# Screenshots until the screen is $3, for at most $2 seconds; the last is kept as $1. The window is
# looked for again first: the flight may have made it anew.
wait_for() {
    local name=$1 seconds=$2 want=$3 until now
    find_window
    until=$(($(date +%s) + seconds))
    while :; do
        now=$(screen_of "$name")
        [ "$now" = "$want" ] && { screen_of "$name" keep >/dev/null; return 0; }
        [ "$(date +%s)" -lt "$until" ] || fail_at "$name" "the screen is $now, not $want, after $seconds s"
        kill -0 "$GAME_PID" 2>/dev/null || fail "$name: the game ended"
        sleep 0.1
    done
}
# A quick click, in one xdotool call: the pointer rests for two frames, the button goes down for
# two and up; then the pointer moves off, so that nothing shows highlighted in the next screenshot.
tap() {
    xdotool mousemove --window "$WINDOW" "$1" "$2" sleep "$CLICK_REST" mousedown 1 sleep "$CLICK_REST" \
        mouseup 1 sleep "$CLICK_REST" mousemove --window "$WINDOW" 20 400
}
# Clicks (x, y) on the screen $1 and waits up to 5 s for the screen $5, whose screenshot is kept as
# $2 when $6 is given. A click the game missed leaves the screen as it was: at most three clicks.
tap_to() {
    local from=$1 name=$2 x=$3 y=$4 want=$5 keep=${6:-} until now
    for _ in 1 2 3; do
        tap "$x" "$y"
        until=$(($(date +%s) + 5))
        while :; do
            now=$(screen_of "$name" "$keep")
            [ "$now" = "$want" ] && return 0
            [ "$(date +%s)" -lt "$until" ] || break
            sleep 0.1
        done
        [ "$now" = "$from" ] || fail_at "$name" "the screen is $now, not $want, 5 s after a click at ($x, $y)"
    done
    fail_at "$name" "the screen is still $from after three clicks at ($x, $y)"
}
# The screenshots of the first two trips of a series ($1 of $2) and of its last are kept.
keep_of() { if [ "$1" -le 2 ] || [ "$1" = "$2" ]; then echo keep; fi; }

# Appends the resident memory (kB) after trip $2 of series $1.
note_rss() {
    echo "$1 $2 $(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status")" >>"$SHOTS/rss.txt"
}
# Fails when series $1 grew by more than the allowed kB from its 10th trip to its last.
check_growth() {
    local tenth last
    tenth=$(awk -v s="$1" '$1 == s && $2 == 10 { print $3 }' "$SHOTS/rss.txt")
    last=$(awk -v s="$1" '$1 == s { kb = $3 } END { print kb }' "$SHOTS/rss.txt")
    [ -n "$tenth" ] || return 0
    echo "== $1: $tenth kB after the 10th trip, $last kB after the last"
    [ $((last - tenth)) -le "$MAX_GROWTH_KB" ] ||
        fail "$1: resident memory grew by $((last - tenth)) kB from the 10th trip to the last (at most $MAX_GROWTH_KB)"
}

START=$(date +%s)
GAME=$(mktemp -d)
"$MAKE_DEMO" "$GAME"
launch_game
: >"$SHOTS/rss.txt"
wait_for 0-main 10 menu-7
# New game, campaign, one player: the flight, then the first system at Kessa.
tap_to menu-7 1-new-game "$MENU_X" "$(menu_y 0)" menu-4 keep
tap_to menu-4 2-campaign "$MENU_X" "$(menu_y 0)" menu-3 keep
tap "$MENU_X" "$(menu_y 0)"
wait_for 3-first-system "$FLIGHT_SECONDS" kessa

# Between the planets: the star-system window from the planet window's galaxy button, the other
# planet, Yes to the travel question, the other planet's window.
at=kessa
for trip in $(seq "$TRIPS"); do
    if [ "$at" = kessa ]; then x=$ORIN_X to=orin; else x=$KESSA_X to=kessa; fi
    keep=$(keep_of "$trip" "$TRIPS")
    tap_to "$at" "trip-$trip-system" "${CORNER[@]}" system "$keep"
    tap_to system "trip-$trip-question" "$x" "$PLANET_Y" question "$keep"
    tap_to question "trip-$trip-$to" "${YES[@]}" "$to" "$keep"
    at=$to
    note_rss trip "$trip"
done

# On the galaxy map: the system window, its map button, the map's tips the first time; then the
# first system's star opens its window again, and that window's map button shows the map again.
tap_to "$at" map-0-system "${CORNER[@]}" system keep
tap_to system map-0-tips "${CORNER[@]}" tips keep
key Escape
wait_for map-0-map 3 map
for trip in $(seq "$MAP_TRIPS"); do
    keep=$(keep_of "$trip" "$MAP_TRIPS")
    tap_to map "map-$trip-system" "${VESTA[@]}" system "$keep"
    tap_to system "map-$trip-map" "${CORNER[@]}" map "$keep"
    note_rss map "$trip"
done

[ -s "$GAME/vondrel.log" ] && fail "vondrel.log holds errors"
check_growth trip
check_growth map
# SIGTERM ends the game in order, within 10 s.
kill -TERM "$GAME_PID"
game_ends 10 SIGTERM
echo "== $TRIPS trips between the planets and $MAP_TRIPS on the galaxy map under Xvfb in $(($(date +%s) - START)) s"
