#!/bin/sh
# Creates the Wine prefix of the interface tests; run through wine-run.sh.
# It is set up as the installed program's prefix is, plus one test setting.
set -eu
"$(dirname "$0")/../packaging/prefix-setup"
# Wine draws the window frames itself: Xvfb has no window manager, and waiting
# for one costs two seconds every time a window is hidden or destroyed.
"$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
