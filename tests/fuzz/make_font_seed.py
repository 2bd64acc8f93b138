# Builds the seed font of the font fuzz target: a small TrueType font of this
# project's own with a few blocky outlines (a space, "A", "H", "g", "o", "." and "|"),
# so every mutation stays cheap to parse.
# Run: fontforge -lang=py -script tests/fuzz/make_font_seed.py OUT.ttf
import sys

import fontforge

OUT = sys.argv[1]

font = fontforge.font()
font.fontname = "ZarnFuzzSeed"
font.familyname = "Zarn Fuzz Seed"
font.fullname = "Zarn Fuzz Seed"
font.em = 1000
font.ascent = 800
font.descent = 200
font.encoding = "UnicodeBmp"


def rect(pen, x0, y0, x1, y1):
    # Clockwise outer contour, as TrueType fills it.
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()


def hole(pen, x0, y0, x1, y1):
    pen.moveTo((x0, y0))
    pen.lineTo((x1, y0))
    pen.lineTo((x1, y1))
    pen.lineTo((x0, y1))
    pen.closePath()


def glyph(ch, width, draw):
    g = font.createChar(ord(ch))
    pen = g.glyphPen()
    draw(pen)
    pen = None
    g.width = width


glyph(" ", 300, lambda p: None)


def draw_a(p):
    p.moveTo((50, 0))
    p.lineTo((280, 700))
    p.lineTo((420, 700))
    p.lineTo((650, 0))
    p.lineTo((520, 0))
    p.lineTo((350, 560))
    p.lineTo((180, 0))
    p.closePath()
    rect(p, 200, 200, 500, 300)


glyph("A", 700, draw_a)
glyph("H", 700, lambda p: (rect(p, 80, 0, 200, 700), rect(p, 500, 0, 620, 700), rect(p, 200, 300, 500, 400)))
glyph("o", 600, lambda p: (rect(p, 60, 0, 540, 500), hole(p, 180, 120, 420, 380)))
glyph("g", 600, lambda p: (rect(p, 60, 100, 540, 500), hole(p, 180, 220, 420, 380), rect(p, 420, -200, 540, 100),
                           rect(p, 60, -200, 420, -90)))
glyph(".", 300, lambda p: rect(p, 90, 0, 210, 120))
glyph("|", 300, lambda p: rect(p, 110, -200, 190, 800))

font.generate(OUT, flags=("omit-instructions",))
