#!/usr/bin/env bash
# Benchmarks: builds Quillmere.exe, the minimal dialog program and the two
# benchmark programs, then under Wine on a virtual display prints the table of
# start-up time, peak memory and executable size with their ratios, and the
# rotation's: the copy against CopyFileA, the ticks against a bare listing
# pass, and the memory of a 100 MB copy. Where
# 32-bit programs cannot run, it measures the 64-bit build (see wine-env.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
. scripts/wine-env.sh

export WINEPREFIX="$QUILLMERE_WINE_BUILD/wineprefix"

cmake --preset "$QUILLMERE_WINE_PRESET" >/dev/null
cmake --build --preset "$QUILLMERE_WINE_PRESET" -j2 --target Quillmere MinimalDialog StartupBench RotationBench
sh scripts/wine-prefix.sh "$WINEPREFIX"

# Wine's server is left to end inside the virtual display's life, so that it
# does not report the display's loss.
xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'status=0
         wine "$QUILLMERE_WINE_BUILD/bench/StartupBench.exe" "$@" || status=$?
         wine "$QUILLMERE_WINE_BUILD/bench/RotationBench.exe" || status=$?
         wineserver -w; exit $status' \
  bench "$@"
