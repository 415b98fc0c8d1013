#!/bin/sh
# The display scale of packaging/prefix-setup, without Wine: the desktop's
# dots per inch from its settings, and what a scale writes into the prefix.
#   prefix_setup_test.sh PREFIX_SETUP
set -u
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Stand-ins: xrdb answers $XFT_DPI, and Wine's reg keeps the file it imports.
mkdir "$work/bin"
printf '#!/bin/sh\n[ -z "${XFT_DPI:-}" ] || printf "Xft.antialias:\\t1\\nXft.dpi:\\t%%s\\n" "$XFT_DPI"\n' >"$work/bin/xrdb"
printf '#!/bin/sh\ncp "$3" "$WINEPREFIX/imported.reg"\n' >"$work/bin/wine"
chmod +x "$work/bin/xrdb" "$work/bin/wine"
export PATH="$work/bin:$PATH" WINELOADER="$work/bin/wine" WINEPREFIX="$work/prefix"
mkdir "$WINEPREFIX"

# settings of the desktop | dots per inch
while IFS='|' read -r settings expected; do
  got=$(env -u THALWEN_DPI -u GDK_SCALE -u GDK_DPI_SCALE -u QT_SCALE_FACTOR $settings "$setup" --desktop-dpi 2>&1)
  [ "$got" = "$expected" ] || fail "desktop $settings: '$got', not $expected"
done <<'TABLE'
|96
XFT_DPI=192|192
XFT_DPI=143.8 GDK_SCALE=1|144
GDK_SCALE=2|192
GDK_SCALE=2 GDK_DPI_SCALE=0.75|144
GDK_DPI_SCALE=1.25 QT_SCALE_FACTOR=2|120
QT_SCALE_FACTOR=1.5|144
XFT_DPI=abc QT_SCALE_FACTOR=1.25|120
THALWEN_DPI=120 XFT_DPI=192|120
XFT_DPI=2000|480
TABLE

for bad in abc 0 47 481 1e3 96.5; do
  message=$(THALWEN_DPI=$bad "$setup" --desktop-dpi 2>&1) && fail "THALWEN_DPI=$bad accepted"
  case $message in *THALWEN_DPI*"'$bad'"*) ;; *) fail "THALWEN_DPI=$bad: '$message'" ;; esac
done

# dots per inch | LogPixels | the face of "MS Shell Dlg": the bitmap one where it has the size
while IFS='|' read -r dpi logPixels face; do
  rm -f "$WINEPREFIX/imported.reg"
  "$setup" --dpi "$dpi" || fail "--dpi $dpi failed"
  grep -q "^\"LogPixels\"=dword:$logPixels\$" "$WINEPREFIX/imported.reg" 2>/dev/null || fail "--dpi $dpi: no LogPixels $logPixels"
  grep -q "^\"MS Shell Dlg\"=\"$face\"\$" "$WINEPREFIX/imported.reg" 2>/dev/null || fail "--dpi $dpi: not $face"
done <<'TABLE'
96|00000060|MS Sans Serif
100|00000064|MS Sans Serif
120|00000078|MS Sans Serif
144|00000090|MS Sans Serif
168|000000a8|Liberation Sans
192|000000c0|Liberation Sans
TABLE
"$setup" --dpi 500 2>/dev/null && fail "--dpi 500 accepted"

# The prefix's own dots per inch, read from Wine's file; Wine's 96 when it holds none.
[ "$("$setup" --dpi-of)" = 96 ] || fail "--dpi-of without a registry"
printf 'WINE REGISTRY Version 2\n\n[Control Panel\\\\Desktop\\\\WindowMetrics] 1\n"LogPixels"=dword:00000060\n\n[Control Panel\\\\Desktop] 1\n"LogPixels"=dword:000000c0\n' >"$WINEPREFIX/user.reg"
[ "$("$setup" --dpi-of)" = 192 ] || fail "--dpi-of: $("$setup" --dpi-of), not 192"

[ $failures -eq 0 ] && echo "prefix-setup: every case passed"
exit $((failures > 0))
