#!/usr/bin/env bash
# Renders the committed PNG sizes of the application icon from its SVG
# (needs rsvg-convert, Debian librsvg2-bin).
set -euo pipefail
dir=$(cd "$(dirname "$0")/../data/desktop/icons" && pwd)
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$dir/marlu.svg" -o "$dir/marlu-$size.png"
done
