#!/usr/bin/env bash
# Soak test: builds Quillmere.exe, the stand-in game and the end-to-end
# driver, then under Wine on a virtual display rotates pictures at one second
# for the given number of minutes (1 by default), switching the order,
# pressing Run again and opening the About box meanwhile, and ends with one
# summary line (copies, ticks, handles, memory, GDI and USER objects).
# QUILLMERE_SOAK_BUILD=<folder> builds and runs in that folder instead of the
# preset's. Not beside the end-to-end tests of the same build: they share its
# Wine prefix and the registry value.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
minutes=${1:-1}
case $minutes in '' | *[!0-9]* | 0) echo "usage: $0 [minutes]" >&2; exit 2 ;; esac

scripts/install-deps.sh test
. scripts/wine-env.sh

# The driver comes from the build with the tests, cross-tests, which drives
# the shipped executables of build/cross.
cmake --preset cross >/dev/null
cmake --build --preset cross -j2 --target Quillmere FakeGame
programs="$root/build/cross"
build=${QUILLMERE_SOAK_BUILD:-$root/build/cross-tests}
if [ -n "${QUILLMERE_SOAK_BUILD:-}" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-tests.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_BUILD_TESTS=ON -DQUILLMERE_SHIPPED_BUILD="$programs" >/dev/null
else
  cmake --preset cross-tests -DQUILLMERE_BUILD_TESTS=ON >/dev/null
fi
cmake --build "$build" -j2 --target quillmere_e2e_tests
export WINEPREFIX="$build/wineprefix"
sh scripts/wine-prefix.sh "$WINEPREFIX"

export QUILLMERE_SOAK_SECONDS=$((minutes * 60))
echo "Soak: $minutes minute(s) in $build"
# As in bench.sh, Wine's server ends inside the virtual display's life.
xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'status=0
         wine "$1/tests/e2e/quillmere_e2e_tests.exe" "$2/Quillmere.exe" "$2/tools/Moo3.exe" \
           --gtest_filter=LauncherSoak.* || status=$?
         wineserver -w; exit $status' \
  soak "$build" "$programs"
