#!/usr/bin/env bash
# Draws the program's pictures: the background of the main window (636 x 402, four colours)
# and the application icon (PNGs of 16 to 256 pixels and an SVG whose text is outlines).
# The results are committed, so that building needs none of these tools.
# Usage: scripts/make-artwork.sh [RESOURCES_DIR]   (default: resources/ beside this script)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../resources"}
"$here/deps.sh" artwork
serif=/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf
field='#BFDDF5'   # light blue
ink='#12307A'     # dark blue

# The background: "Quiz" at the top left, a question mark at the bottom right, each with a
# soft shadow. Antialiased edges are mapped onto a fixed four-colour palette.
shadow='#8FB7E2'  # the letters' shadow
edge='#4E72B0'    # antialiased edges
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
palette=$work/palette.png
convert -size 4x1 xc:none -fill "$field" -draw 'point 0,0' -fill "$shadow" -draw 'point 1,0' \
    -fill "$edge" -draw 'point 2,0' -fill "$ink" -draw 'point 3,0' "PNG24:$palette"
convert -size 636x402 "xc:$field" -font "$serif" \
    -fill "$shadow" -pointsize 120 -annotate +34+134 'Quiz' \
    -pointsize 300 -annotate +460+390 '?' \
    -fill "$ink" -pointsize 120 -annotate +28+128 'Quiz' \
    -pointsize 300 -annotate +452+384 '?' \
    -dither None -remap "$palette" -define png:exclude-chunks=date,time -strip \
    "PNG8:$out/background.png"

# The icon, from one drawing (scripts/icon.py): a PNG for each size of the icon theme, each
# drawn on its own pixel grid so that rim and glyph stay sharp, and the SVG for any other size.
mkdir -p "$out/icons"
for size in 16 24 32 48 64 128 256; do
    /usr/bin/python3 "$here/icon.py" "$serif" "$field" "$ink" "$size" >"$work/icon.svg"
    rsvg-convert --format=png "$work/icon.svg" >"$work/icon.png"
    convert "$work/icon.png" -define png:exclude-chunks=date,time -strip "PNG32:$out/icons/quiz-$size.png"
done
/usr/bin/python3 "$here/icon.py" "$serif" "$field" "$ink" scalable >"$out/icons/quiz.svg"
