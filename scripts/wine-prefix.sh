#!/bin/sh
# Creates a private Wine prefix (once) for tests and the demo, and turns off
# the hand-off of windows to a window manager: under a bare virtual display
# Wine otherwise waits about two seconds each time a window is hidden.
# It also points Wine at its own fonts (package fonts-wine). Debian's Wine
# never looks in its data folder for them, so Marlett, the font of the
# caption buttons, is missing and the close box shows its character code,
# the letter "r"; and "MS Sans Serif" falls back to another face.
set -eu
prefix="$1"
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh" >/dev/null
export WINEPREFIX="$prefix"
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  # Through `wine`: the wineboot command runs wine-stable by name.
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts' /v Path /d 'Z:\usr\share\wine\fonts' /f >/dev/null 2>&1
wineserver -w
