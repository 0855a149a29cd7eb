#!/usr/bin/env bash
# Plays the demo game: brings the program and the demo game folder up to date, then starts
# Vondrel in that folder (the game folder is the working folder). Arguments go to the program.
#     scripts/play.sh            # the main screen
#     VONDREL_HEADLESS=1 scripts/play.sh
# VONDREL_BUILD names another build folder (default build/), VONDREL_GAME_DIR another game folder
# (default demo-game/ inside the build folder); delete the game folder to get a fresh one.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VONDREL_BUILD:-$ROOT/build}
GAME=${VONDREL_GAME_DIR:-$BUILD/demo-game}
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Built when missing or older than a source or build file.
stale() {
    [ -x "$BUILD/programs/Vondrel" ] && [ -x "$BUILD/tools/make_demo_archive" ] || return 0
    [ -n "$(cd "$ROOT" && find "${SOURCE_DIRS[@]}" -newer "$BUILD/programs/Vondrel" \
        \( -name '*.cpp' -o -name '*.h' -o -name CMakeLists.txt \) -print -quit)" ]
}
SOURCE_DIRS=(CMakeLists.txt platform foundation script graphics shell ui world campaign screens programs tools)
if stale; then
    cmake --build "$BUILD" -j"$(nproc)" --target Vondrel make_demo_archive
fi
# A folder made by an older tool, or before the scenario file existed, is made again (saves stay).
if [ ! -f "$GAME/main.FD" ] || [ ! -f "$GAME/Add/Patrol.scn" ] ||
    [ "$BUILD/tools/make_demo_archive" -nt "$GAME/main.FD" ]; then
    "$BUILD/tools/make_demo_archive" "$GAME"
fi
cd "$GAME"
exec "$BUILD/programs/Vondrel" "$@"
