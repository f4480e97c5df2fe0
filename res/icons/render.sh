#!/bin/sh
# Renders the icon's PNG sizes from its drawings (needs rsvg-convert, package librsvg2-bin).
# The 16-pixel size has a drawing of its own, aligned to the pixel grid.
set -e
cd "$(dirname "$0")"
rsvg-convert -w 16 -h 16 varloGui-16.svg -o varloGui-16.png
for size in 32 48 256; do
    rsvg-convert -w "$size" -h "$size" varloGui.svg -o "varloGui-$size.png"
done
