#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick: the background of the main window
# (636 x 402, four colours) and the application icon (32 x 32 PNG and SVG).
# Usage: scripts/make-artwork.sh [RESOURCES_DIR]   (default: resources/ beside this script)
set -euo pipefail
out=${1:-"$(cd "$(dirname "$0")/.." && pwd)/resources"}
serif=/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf
field='#BFDDF5'   # light blue
ink='#12307A'     # dark blue

# The background: "Quiz" at the top left, a question mark at the bottom right, each with a
# soft shadow. Antialiased edges are mapped onto a fixed four-colour palette.
shadow='#8FB7E2'  # the letters' shadow
edge='#4E72B0'    # antialiased edges
palette=$(mktemp --suffix=.png)
trap 'rm -f "$palette"' EXIT
convert -size 4x1 xc:none -fill "$field" -draw 'point 0,0' -fill "$shadow" -draw 'point 1,0' \
    -fill "$edge" -draw 'point 2,0' -fill "$ink" -draw 'point 3,0' "PNG24:$palette"
convert -size 636x402 "xc:$field" -font "$serif" \
    -fill "$shadow" -pointsize 120 -annotate +34+134 'Quiz' \
    -pointsize 300 -annotate +460+390 '?' \
    -fill "$ink" -pointsize 120 -annotate +28+128 'Quiz' \
    -pointsize 300 -annotate +452+384 '?' \
    -dither None -remap "$palette" -define png:exclude-chunks=date,time -strip \
    "PNG8:$out/background.png"

# The icon: a dark blue question mark on a light blue tile with a dark blue rim.
convert -size 32x32 xc:none -fill "$field" -stroke "$ink" -strokewidth 2 \
    -draw 'roundrectangle 1,1 30,30 6,6' -stroke none -fill "$ink" -font "$serif" \
    -pointsize 28 -gravity center -annotate +0+1 '?' \
    -define png:exclude-chunks=date,time -strip "PNG32:$out/quiz.png"

cat >"$out/quiz.svg" <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <title>Quiz</title>
  <rect x="1" y="1" width="30" height="30" rx="6" ry="6" fill="$field" stroke="$ink" stroke-width="2"/>
  <text x="16" y="26" text-anchor="middle" fill="$ink"
        font-family="Liberation Serif, serif" font-weight="bold" font-size="28">?</text>
</svg>
SVG
