#!/usr/bin/env bash
# Every test: installs what is missing, builds the portable core natively and
# Quillmere.exe with mingw-w64, then runs the native unit tests and fuzzers
# and, under Wine on a virtual display, the Windows and end-to-end tests.
# Where this machine cannot run 32-bit programs those run on the 64-bit build
# of the same sources (see wine-env.sh); the 32-bit executable is built anyway.
# Run it as yourself: it asks for root only to install packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh test
. scripts/wine-env.sh

cmake --preset native
cmake --build --preset native -j2
ctest --preset native

cmake --preset cross -DQUILLMERE_BUILD_TESTS=ON
if [ "$QUILLMERE_WINE_PRESET" = cross ]; then
  cmake --build --preset cross -j2
else
  cmake --build --preset cross -j2 --target Quillmere
  cmake --preset "$QUILLMERE_WINE_PRESET" -DQUILLMERE_BUILD_TESTS=ON
  cmake --build --preset "$QUILLMERE_WINE_PRESET" -j2
fi
status=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset "$QUILLMERE_WINE_PRESET" || status=$?
WINEPREFIX="$QUILLMERE_WINE_BUILD/wineprefix" wineserver -k 2>/dev/null || true
exit $status
