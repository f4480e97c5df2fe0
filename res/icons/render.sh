#!/bin/sh
# Renders the icon's PNG sizes from its drawings (needs rsvg-convert, package librsvg2-bin).
# The 16-pixel size has a drawing of its own, aligned to the pixel grid.
set -e
cd "$(dirname "$0")"
rsvg-convert -w 16 -h 16 varloGui-16.svg -o varloGui-16.png
for size in 32 48 256; do
    rsvg-convert -w "$size" -h "$size" varloGui.svg -o "varloGui-$size.png"
done
# The Windows program's icon: 32 and 16 pixels in 16 colours, corners cut by the mask (needs
# ImageMagick's convert).
convert \( varloGui-32.png -channel A -threshold 50% +channel +dither -colors 16 \) \
    \( varloGui-16.png -channel A -threshold 50% +channel +dither -colors 16 \) ../varloGui.ico
