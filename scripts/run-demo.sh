#!/usr/bin/env bash
# The demo: installs what is missing, builds only what it shows (the launcher
# and the stand-in game), then shows them in a private Wine prefix with a demo
# game folder (see scripts/demo.sh). Where 32-bit programs cannot run, 32-bit
# Wine runs under qemu-user (see wine-env.sh). Run it as yourself: it asks for root
# only to install packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh demo
. scripts/wine-env.sh
cmake --preset "$QUILLMERE_WINE_PRESET" -DQUILLMERE_BUILD_TESTS=OFF
cmake --build --preset "$QUILLMERE_WINE_PRESET" -j2 --target Quillmere FakeGame
exec scripts/demo.sh
