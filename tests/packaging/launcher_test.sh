#!/bin/sh
# The launcher as installed, on a virtual display, in a new home of its own:
# the first start lays a light prefix out of prefix.tar at the desktop's
# scale, and later starts follow that scale up and down; without prefix.tar,
# Thalwen's notice, not Wine's window, shows while Wine sets the prefix up.
#   launcher_test.sh LAUNCHER PROGRAM_DIR_FROM_BIN DATA_DIR_FROM_BIN PROGRAM_FILE...
# LAUNCHER is the configured bin/thalwen; the files given after the folders
# are laid into PROGRAM_DIR_FROM_BIN (relative to bin/), where it finds them.
set -eu
launcher=$1 programDir=$2 dataDir=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/stage/bin/$programDir" "$work/stage/bin/$dataDir" "$work/home"
cp "$launcher" "$work/stage/bin/thalwen"
for file in "$@"; do ln -s "$file" "$work/stage/bin/$programDir/"; done

exec env -u WINEPREFIX -u XDG_DATA_HOME -u THALWEN_DPI -u GDK_SCALE -u GDK_DPI_SCALE -u QT_SCALE_FACTOR \
  HOME="$work/home" WORK="$work" LC_ALL=C.UTF-8 WINEDEBUG=-all \
  xvfb-run -a -s "-screen 0 1024x768x24" sh -eu -c '
  setup=$WORK/stage/bin/'"$programDir"'/prefix-setup
  export WINEPREFIX=$HOME/.local/share/thalwen/wineprefix  # for the checks; the launcher finds it alone
  failures=0
  fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

  # The names of the windows on the display.
  windows() { xwininfo -root -children 2>/dev/null | sed -n "s/^ *0x[0-9a-f]* \"\(.*\)\": .*/\1/p"; }
  # Starts the launcher with the desktop settings $1 and ends it once its
  # window shows; the names of the windows shown on the way go to $WORK/seen.
  start() {
    env -u WINEPREFIX $1 "$WORK/stage/bin/thalwen" >"$WORK/launcher.out" 2>&1 &
    launcher=$!
    tries=0
    : >"$WORK/seen"
    until windows | tee -a "$WORK/seen" | grep -q "^Thalwen - "; do
      tries=$((tries + 1))
      if ! kill -0 $launcher 2>/dev/null || [ $tries -gt 1500 ]; then
        cat "$WORK/launcher.out"
        fail "$1: no window"
        break
      fi
      sleep 0.1
    done
    wineserver -k 2>/dev/null || true
    wait $launcher 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  }

  # desktop settings | the dots per inch the prefix draws at
  while IFS="|" read -r settings dpi; do
    start "$settings"
    [ "$("$setup" --dpi-of)" = "$dpi" ] || fail "$settings: the prefix draws at $("$setup" --dpi-of) dpi, not $dpi"
  done <<TABLE
GDK_SCALE=0.4|48
GDK_SCALE=1.5|144
GDK_SCALE=2|192
|96
TABLE

  # Light: the Windows libraries, of either word size, are links to Wine'"'"'s
  # installed ones; no copy of one is left.
  links=$(find "$WINEPREFIX/drive_c" -type l -lname "*-windows/*" | wc -l)
  [ "$links" -ge 500 ] || fail "$links libraries linked to Wine'"'"'s"
  for folder in system32:x86_64-windows syswow64:i386-windows; do
    installed=$(ls -d /usr/lib/*/wine/${folder#*:} /usr/lib/wine/${folder#*:} 2>/dev/null | head -n 1)
    find "$WINEPREFIX/drive_c/windows/${folder%%:*}" -maxdepth 1 -type f 2>/dev/null | while read -r copy; do
      if cmp -s "$copy" "$installed/${copy##*/}"; then echo "FAILED: $copy is a copy of $installed/${copy##*/}"; fi
    done >>"$WORK/copies"
  done
  [ ! -s "$WORK/copies" ] || { cat "$WORK/copies"; fail "copies of Wine'"'"'s libraries"; }
  size=$(du -sm "$WINEPREFIX" | cut -f1)
  [ "$size" -le 100 ] || fail "the prefix takes $size MB"
  # Laid out of prefix.tar, made for any user: its profile is not this one'"'"'s.
  [ -d "$WINEPREFIX/drive_c/users/thalwen" ] || fail "the first start did not lay the prefix out of prefix.tar"

  rm "$WORK/stage/bin/'"$programDir"'/prefix.tar"
  export HOME=$WORK/home2 WINEPREFIX=$WORK/home2/.local/share/thalwen/wineprefix
  mkdir -p "$HOME"
  start ""
  grep -q -x "Thalwen" "$WORK/seen" || fail "no notice while Wine set the prefix up"
  grep -q -x "Wine" "$WORK/seen" && fail "Wine showed its window"
  windows | grep -q -x "Thalwen" && fail "the notice stayed"

  [ $failures -eq 0 ] && echo "launcher: every case passed"
  exit $((failures > 0))'
