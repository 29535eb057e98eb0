#!/usr/bin/python3
"""Draws the application icon as SVG: a dark blue question mark on a light blue tile with a
dark blue rim. The question mark is the bold serif glyph taken from the font as outlines, so
the SVG needs no font to show.

Usage: icon.py FONT.ttf FIELD INK SIZE      an SVG fitted to a SIZE by SIZE pixel grid (rim
                                            and glyph on whole pixels, so that the small PNGs
                                            stay sharp)
       icon.py FONT.ttf FIELD INK scalable  the SVG for any size, on a 256-unit grid
FIELD and INK are the colours of the tile and of the rim and glyph."""

import sys

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont

def glyph(font_path, char):
    font = TTFont(font_path)
    glyphs = font.getGlyphSet()
    outline = glyphs[font.getBestCmap()[ord(char)]]
    bounds = BoundsPen(glyphs)
    outline.draw(bounds)
    return glyphs, outline, bounds.bounds


def icon(font_path, field, ink, size, snap):
    rim = max(1, round(size / 18)) if snap else size / 18
    radius = size * 6 / 32
    glyphs, outline, (xmin, ymin, xmax, ymax) = glyph(font_path, "?")
    height = round(size * 0.7) if snap else size * 0.7
    scale = height / (ymax - ymin)
    # Font units point up, SVG's down: flip, then put the glyph's box in the middle of the tile.
    left = size / 2 - (xmax + xmin) / 2 * scale
    bottom = (size + height) / 2
    if snap:
        left, bottom = round(left), round(bottom)
    pen = SVGPathPen(glyphs, ntos=lambda v: f"{v:.2f}".rstrip("0").rstrip("."))
    outline.draw(TransformPen(pen, (scale, 0, 0, -scale, left, bottom + ymin * scale)))
    inset = rim / 2
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">
  <title>Quiz</title>
  <rect x="{inset:g}" y="{inset:g}" width="{size - rim:g}" height="{size - rim:g}" rx="{radius:g}" ry="{radius:g}"
        fill="{field}" stroke="{ink}" stroke-width="{rim:g}"/>
  <path fill="{ink}" d="{pen.getCommands()}"/>
</svg>
"""


def main():
    font_path, field, ink, size = sys.argv[1:5]
    if size == "scalable":
        sys.stdout.write(icon(font_path, field, ink, 256, snap=False))
    else:
        sys.stdout.write(icon(font_path, field, ink, int(size), snap=True))


if __name__ == "__main__":
    main()
