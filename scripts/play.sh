#!/usr/bin/env bash
# Plays the demo game: builds the program and the demo game folder when they are missing, then starts
# Vondrel in that folder (the game folder is the working folder). Arguments go to the program.
#     scripts/play.sh            # the main screen
#     VONDREL_HEADLESS=1 scripts/play.sh
# VONDREL_BUILD names another build folder (default build/), VONDREL_GAME_DIR another game folder
# (default demo-game/ inside the build folder); delete the game folder to get a fresh one.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VONDREL_BUILD:-$ROOT/build}
GAME=${VONDREL_GAME_DIR:-$BUILD/demo-game}
if [ ! -x "$BUILD/programs/Vondrel" ] || [ ! -x "$BUILD/tools/make_demo_archive" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$BUILD" -j"$(nproc)" --target Vondrel make_demo_archive
fi
# A folder made before the scenario file existed is made again.
if [ ! -f "$GAME/main.FD" ] || [ ! -f "$GAME/Add/Patrol.scn" ]; then
    "$BUILD/tools/make_demo_archive" "$GAME"
fi
cd "$GAME"
exec "$BUILD/programs/Vondrel" "$@"
