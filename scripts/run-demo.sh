#!/usr/bin/env bash
# The demo: installs what is missing, builds Quillmere.exe, then shows it in a
# private Wine prefix with a demo game folder (see scripts/demo.sh). Where
# 32-bit programs cannot run it shows the 64-bit build (see wine-env.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
. scripts/wine-env.sh
cmake --preset "$QUILLMERE_WINE_PRESET"
cmake --build --preset "$QUILLMERE_WINE_PRESET" -j2
exec scripts/demo.sh
