#!/usr/bin/env bash
# Start-up benchmark: builds Quillmere.exe and the minimal dialog program, then
# starts them in turn under Wine on a virtual display and prints the table of
# start-up time, peak memory and executable size with their ratios.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$PWD/build/cross/wineprefix"

cmake --preset cross >/dev/null
cmake --build --preset cross -j2 --target Quillmere MinimalDialog StartupBench
sh scripts/wine-prefix.sh "$WINEPREFIX"

# Wine's server is left to end inside the virtual display's life, so that it
# does not report the display's loss.
xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'status=0; wine build/cross/bench/StartupBench.exe "$@" || status=$?; wineserver -w; exit $status' \
  bench "$@"
