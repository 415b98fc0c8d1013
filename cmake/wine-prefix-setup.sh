#!/bin/sh
# Creates the Wine prefix of the interface tests; run through wine-run.sh.
# It is set up as the installed program's prefix is, at the display scale
# given in dots per inch (default 96), plus one test setting.
#   wine-prefix-setup.sh [DPI]
set -eu
setup="$(dirname "$0")/../packaging/prefix-setup"
"$setup"
"$setup" --dpi "${1:-96}"
# Wine draws the window frames itself: Xvfb has no window manager, and waiting
# for one costs two seconds every time a window is hidden or destroyed.
"$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
