#!/bin/sh
# Creates the Wine prefix of the interface tests; run through wine-run.sh.
set -eu
"$WINELOADER" wineboot --init
# Wine draws the window frames itself: Xvfb has no window manager, and waiting
# for one costs two seconds every time a window is hidden or destroyed.
"$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
