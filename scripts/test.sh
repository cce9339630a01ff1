#!/usr/bin/env bash
# Every test: installs what is missing, builds the portable core natively and
# Quillmere.exe with mingw-w64, then runs the native unit tests and fuzzers
# and, under Wine on a virtual display, the Windows and end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

cmake --preset native
cmake --build --preset native -j2
ctest --preset native

cmake --preset cross
cmake --build --preset cross -j2
status=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset cross || status=$?
WINEPREFIX="$PWD/build/cross/wineprefix" wineserver -k 2>/dev/null || true
exit $status
