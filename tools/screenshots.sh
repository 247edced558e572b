#!/usr/bin/env bash
# Takes the README's screenshots (docs/*.png) from the running application under
# Xvfb: a fresh home, the build's map data, the Monaco drive replayed.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/setup.sh"
marlu_setup screenshots qtposition_nmeareplay

home=$(mktemp -d /tmp/marlu-screenshots.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/.config/Pelmark" "$home/runtime" "$home/shots"
chmod 700 "$home/runtime"
# Position updates every second, so the map follows the track, which is recorded.
printf '[General]\nUpdateMode=1\nRecordTrack=true\n' > "$home/.config/Pelmark/Marlu.conf"
# A few saved places in Monaco for the Places list.
mkdir -p "$home/.local/share/marlu"
cat > "$home/.local/share/marlu/favourites.json" <<'JSON'
{"version": 1, "places": [
 {"name": "Home", "address": "Boulevard Albert 1er, Monaco", "lat": 43.7335, "lng": 7.4205, "kind": "home"},
 {"name": "Casino de Monte-Carlo", "address": "Place du Casino, Monaco", "lat": 43.7393, "lng": 7.4278, "kind": "place"},
 {"name": "Stade Louis II", "address": "Fontvieille, Monaco", "lat": 43.7277, "lng": 7.4155, "kind": "place"}
]}
JSON

HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/runtime \
  QT_PLUGIN_PATH=$MARLU_BUILD/plugins MARLU_SERVICE=$MARLU_ROOT/services/mapservice.py \
  MARLU_NMEA_FILE=$MARLU_ROOT/data/tracks/monaco-drive.nmea \
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  "$MARLU_BUILD/tools/screenshots" "$home/shots"
# The route sheet on the handheld's 800x480 screen, status panel left free.
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/runtime \
  QT_PLUGIN_PATH=$MARLU_BUILD/plugins MARLU_SERVICE=$MARLU_ROOT/services/mapservice.py \
  MARLU_NMEA_FILE=$MARLU_ROOT/data/tracks/monaco-drive.nmea \
  "$MARLU_ROOT/tests/support/handheld-display.sh" "$MARLU_BUILD/tools/screenshots" "$home/shots" --handheld

# The drive view at 800x480 in English and in Finnish.
for lang in "" fi_FI; do
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/runtime \
    QT_PLUGIN_PATH=$MARLU_BUILD/plugins MARLU_SERVICE=$MARLU_ROOT/services/mapservice.py \
    MARLU_NMEA_FILE=$MARLU_ROOT/data/tracks/monaco-drive.nmea \
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    "$MARLU_BUILD/tools/screenshots" "$home/shots" --drive $lang
done

# Small enough to commit: a 256-colour palette is plenty for map tiles and widgets.
mkdir -p "$MARLU_ROOT/docs"
for shot in "$home"/shots/*.png; do
  convert "$shot" -strip -colors 256 "PNG8:$MARLU_ROOT/docs/$(basename "$shot")"
done
ls -l "$MARLU_ROOT"/docs/*.png
