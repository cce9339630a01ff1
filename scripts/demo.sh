#!/bin/sh
# The demo: Quillmere.exe from build/cross (under qemu-user where 32-bit
# programs cannot run, see wine-env.sh) in a private Wine prefix, pointed at a
# demo game folder with sample pictures and the stand-in game.
# With a reachable $DISPLAY it runs for the person until closed; without one
# it runs on a virtual display and leaves screenshots in the build's demo/.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
build="$QUILLMERE_WINE_BUILD"
demo="$build/demo"
prefix="$demo/prefix"
game="$demo/game"
launcher="$build/Quillmere.exe"
standin="$build/tools/Moo3.exe"
target_dir="$game/GameDataSets/Classic_01/GameAssets/Common/Graphics/UI/PlayingGame"
game_title='^Master of Orion III \(stand-in\)$'  # a regular expression for xdotool

fail() { echo "demo: $*" >&2; exit 1; }
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || fail "'$tool' is not installed"
  done
}

# wait_for SECONDS COMMAND...: polls every half second until COMMAND succeeds.
wait_for() {
  limit=$(( $1 * 2 )); shift
  i=0
  while [ "$i" -lt "$limit" ]; do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.5
    i=$((i + 1))
  done
  return 1
}

for f in "$launcher" "$standin"; do
  [ -f "$f" ] || fail "$f is missing; build first: cmake --preset $QUILLMERE_WINE_PRESET && cmake --build --preset $QUILLMERE_WINE_PRESET"
done
need wine wineserver convert

export WINEPREFIX="$prefix"
mkdir -p "$demo"

# The display comes first: Wine's desktop process starts with the first Wine
# command and keeps the display it found then.
interactive=no
xvfb_pid=""
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  interactive=yes
else
  need Xvfb xdotool import xdpyinfo
  display=""
  n=90
  while [ "$n" -lt 200 ]; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
    n=$((n + 1))
  done
  [ -n "$display" ] || fail "no free X display number found"
  cleanup() {
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  }
  trap cleanup EXIT
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  wait_for 10 xdpyinfo || fail "the virtual display $display did not start"
  echo "demo: no display; using virtual display $display"
fi

# picture FILE COLOUR LABEL: a 640 x 480 picture with a big label; plain
# gradients when ImageMagick finds no font to draw with.
picture() {
  convert -size 640x480 "xc:$2" -font DejaVu-Sans-Bold -gravity center -pointsize 160 \
      -fill white -annotate 0 "$3" "$1" 2>/dev/null ||
    convert -size 640x480 "xc:$2" -gravity center -pointsize 160 \
      -fill white -annotate 0 "$3" "$1" 2>/dev/null ||
    convert -size 640x480 "gradient:$2-white" "$1"
}

echo "demo: preparing $demo"
wineserver -k 2>/dev/null || true  # a server left from an earlier run may hold another display
sh "$root/scripts/wine-prefix.sh" "$prefix"

rm -rf "$game"
mkdir -p "$game/EOTBIR" "$target_dir"
cp "$standin" "$game/Moo3.exe"
n=1
for colour in navy darkgreen maroon purple darkorange; do
  picture "$game/EOTBIR/$n.png" "$colour" "$n"
  n=$((n + 1))
done
picture "$target_dir/pic_waitingbkgd.png" gray30 "wait"
# Settings for watching the rotation: "Use EOTBIR:" on, a 2-second cycle,
# pictures in name order (four 32-bit little-endian values).
settings="$game/Quillmere.sav"
printf '\001\000\000\000\000\000\000\000\002\000\000\000\001\000\000\000' > "$settings"
touch -d '2000-01-01 00:00:00' "$settings"  # so the launcher's rewrite shows

game_win=$(printf 'Z:%s' "$game" | tr / '\\')
# Into the registry view the launcher reads: a 32-bit one reads WOW6432Node.
wine reg add 'HKLM\SOFTWARE\Infogrames\Master of Orion III' /v 'Program Location' \
  /d "$game_win" /f "$QUILLMERE_WINE_REG" >/dev/null 2>&1 || fail "cannot write the registry value"

if [ "$interactive" = yes ]; then
  echo "demo: starting Quillmere on $DISPLAY; Run starts the stand-in game, Exit ends the launcher"
  (cd "$demo" && wine "$launcher") || true
  echo "demo: the stand-in game window, if open, stays until you close it"
  exit 0
fi

wineserver -p >/dev/null 2>&1 || true  # keep the server up between the starts below
(cd "$demo" && exec wine "$launcher") >/dev/null 2>&1 &

wait_for 30 xdotool search --onlyvisible --name '^Quillmere$' ||
  fail "the window \"Quillmere\" did not appear within 30 s"
sleep 1  # let it paint
launcher_window=$(xdotool search --onlyvisible --name '^Quillmere$' | head -n 1)
import -window "$launcher_window" "$demo/launcher.png"
echo "demo: screenshot of the launcher: $demo/launcher.png"

# Run with rotation on: the focus starts on "Exit", Tab moves it to "Run".
xdotool key Tab space
if ! wait_for 15 xdotool search --onlyvisible --name "$game_title"; then
  echo "demo: the stand-in game did not start; no game screenshot"
  exit 0
fi

# Each copy replaces the waiting picture with a new file, so its change time
# and size tell one copy from the next without opening it.
target="$target_dir/pic_waitingbkgd.png"
stamp() { stat -c '%z %s' "$target" 2>/dev/null || true; }
copies=0
last=$(stamp)
# watch SECONDS: counts the copies made meanwhile, polling ten times a second.
watch() {
  i=0
  while [ "$i" -lt $(( $1 * 10 )) ]; do
    now=$(stamp)
    if [ "$now" != "$last" ]; then copies=$((copies + 1)); last=$now; fi
    sleep 0.1
    i=$((i + 1))
  done
}
# shoot FILE: the stand-in game's window, once it has reloaded the picture.
shoot() {
  window=$(xdotool search --onlyvisible --name "$game_title" | head -n 1)
  import -window "$window" "$1"
  echo "demo: screenshot of the stand-in game: $1"
}

watch 3   # the first copy comes one full period after Run
watch 1   # the game reloads within half a second
shoot "$demo/game-1.png"
watch 4   # two more periods, two more pictures
shoot "$demo/game-2.png"
watched=8
# ImageMagick counts the pixels that differ (the files differ anyway, by
# the time stamps they carry).
if [ "$(compare -metric AE "$demo/game-1.png" "$demo/game-2.png" null: 2>&1 || true)" = 0 ]; then
  echo "demo: the two screenshots of the game are the same: the rotation did not go on" >&2
  exit 1
fi

# Escape closes the launcher, which writes its settings back. A click on its
# lower edge, which the game's window leaves uncovered, brings it to the
# front first: the game took the focus.
height=$(xdotool getwindowgeometry --shell "$launcher_window" | sed -n 's/^HEIGHT=//p')
xdotool mousemove --window "$launcher_window" 8 $((height - 5)) click 1
sleep 0.5
xdotool key Escape
wait_for 15 sh -c "! xdotool search --onlyvisible --name '^Quillmere\$'" ||
  fail "the launcher did not close on Escape"
sleep 1
if [ "$(stat -c %Y "$settings")" -gt 946684800 ]; then
  # The four values as stored: Use EOTBIR, Pre-Warp, cycle time, name order.
  set -- $(od -An -tu4 -v "$settings")
  written="settings written on closing to $settings ($(stat -c %s "$settings") bytes: Use EOTBIR $1, Pre-Warp $2, cycle $3 s, name order $4)"
else
  written="settings NOT written on closing to $settings"
fi
summary="demo: $copies pictures copied over the game's waiting picture in the $watched s watched (one every 2 s, in name order); $written"
echo "$summary" | tee "$demo/summary.txt"
case "$written" in *NOT*) exit 1 ;; esac
exit 0
