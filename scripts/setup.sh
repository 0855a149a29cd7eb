#!/usr/bin/env bash
# Installs every build dependency from Debian packages and builds the project into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake pkg-config \
    libgtest-dev libgmock-dev libbenchmark-dev \
    libsdl2-dev libsdl2-mixer-dev libopenmpt-dev \
    libvorbis-dev libogg-dev libmp3lame-dev libflac-dev \
    clang libclang-rt-14-dev clang-format xvfb desktop-file-utils \
    xdotool imagemagick
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
