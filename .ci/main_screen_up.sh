#!/usr/bin/env bash
# Starts the game with a command (run in the current folder; the game folder names where its log
# goes) under the X display of $DISPLAY, and checks what a person would see: within 15 s a window whose main menu column shows its seven entries (the main
# screen's buttons stand right-aligned 20 px from the right edge, one every 50 px from y 15), kept
# as a screenshot; then SIGTERM must end the program within 10 s with status 0 and nothing in
# "vondrel.log".
#     .ci/main_screen_up.sh GAME_FOLDER SCREENSHOT COMMAND [ARG...]
set -euo pipefail
GAME=$1
SHOT=$2
shift 2
fail() {
    echo "main_screen_up: $*"
    [ -s "$GAME/vondrel.log" ] && cat "$GAME/vondrel.log"
    [ -n "${PID:-}" ] && kill -KILL "$PID" 2>/dev/null || true
    exit 1
}
SDL_AUDIODRIVER=dummy "$@" &
PID=$!
WINDOW=""
for _ in $(seq 150); do
    WINDOW=$(xdotool search --onlyvisible --name Vondrel 2>/dev/null | head -n1 || true)
    [ -n "$WINDOW" ] && break
    kill -0 "$PID" 2>/dev/null || fail "the program ended before it showed a window"
    sleep 0.1
done
[ -n "$WINDOW" ] || fail "no window within 15 s"
entries=0
for _ in $(seq 50); do
    import -window "$WINDOW" "$SHOT" 2>/dev/null || true
    entries=0
    if [ -s "$SHOT" ]; then
        for k in 0 1 2 3 4 5 6; do
            lit=$(convert "$SHOT" -crop "44x30+576+$((15 + 50 * k))" +repage -colorspace Gray -threshold 5% \
                -format "%[fx:int(mean*w*h+0.5)]" info:)
            [ "$lit" -ge 30 ] && entries=$((entries + 1))
        done
    fi
    [ "$entries" -eq 7 ] && break
    sleep 0.2
done
[ "$entries" -eq 7 ] || fail "the main menu shows $entries of its 7 entries (see $SHOT)"
kill -TERM "$PID"
for _ in $(seq 100); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$PID" 2>/dev/null && fail "the program did not end within 10 s of SIGTERM"
status=0
wait "$PID" || status=$?
[ -s "$GAME/vondrel.log" ] && fail "the program logged errors"
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "== the main screen showed its menu (screenshot $SHOT) and the program ended cleanly"
