#!/bin/sh
# Runs a test on a display of the handheld's size: an 800x480 screen whose top
# 56 pixels are the status panel, announced on the root window as window
# managers announce the room they leave to others (kept: -noreset).
#   handheld-display.sh TEST [ARGS...]
exec xvfb-run -a -s "-screen 0 800x480x24 -nolisten tcp -noreset" sh -c '
  xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _NET_WORKAREA &&
  xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 56, 800, 424" &&
  MARLU_HANDHELD_SCREEN=1 exec "$@"' handheld-display "$@"
