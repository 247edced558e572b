#!/bin/sh
# Runs a test on a display of the handheld's size: an 800x480 screen whose top
# 56 pixels are the status panel, under a real window manager (openbox) that
# frames every window with a title bar and keeps the panel out of the work area
# it announces (kept: -noreset).
#   handheld-display.sh TEST [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
exec xvfb-run -a -s "-screen 0 800x480x24 -nolisten tcp -noreset" sh -c '
  openbox --config-file "$0/openbox-handheld.xml" >/dev/null 2>&1 &
  wm=$!
  # A window shown before the manager runs would stay unframed: wait for it
  # to announce itself, and for its work area, at most a minute.
  tries=0
  until xprop -root _NET_WORKAREA 2>/dev/null | grep -q "0, 56, 800, 424"; do
    tries=$((tries + 1))
    if [ $tries -gt 600 ] || ! kill -0 $wm 2>/dev/null; then
      echo "handheld-display: openbox did not start" >&2
      kill $wm 2>/dev/null
      exit 1
    fi
    sleep 0.1
  done
  MARLU_HANDHELD_SCREEN=1 "$@"
  status=$?
  kill $wm 2>/dev/null
  wait $wm 2>/dev/null
  exit $status' "$here" "$@"
