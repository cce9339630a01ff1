#!/usr/bin/env bash
# The demo: installs what is missing, builds Quillmere.exe, then shows it in a
# private Wine prefix with a demo game folder (see scripts/demo.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cmake --preset cross
cmake --build --preset cross -j2
exec scripts/demo.sh
