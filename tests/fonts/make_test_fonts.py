#!/usr/bin/python3
"""Builds the small TrueType faces the text renderer's tests measure and draw.

Short.ttf  a line much shorter than its pixel size (ascender 0.3 em, descender
           0.1 em), so the height search starts below the request and climbs;
           'A' is a solid square, U+0301 a combining mark with no advance.
NoCmap.ttf the same glyphs without a character map: character codes are glyph
           indices, and codes past the last glyph must fall back to glyph 0.
"""
import sys
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

UNITS = 1000


def box(x0, y0, x1, y1):
    pen = TTGlyphPen(None)
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()
    return pen.glyph()


def build(path, with_cmap):
    order = [".notdef", "space", "A", "acute"]
    fb = FontBuilder(UNITS, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x41: "A", 0x301: "acute"})
    fb.setupGlyf({
        ".notdef": box(100, 0, 500, 300),
        "space": TTGlyphPen(None).glyph(),
        "A": box(0, 0, 300, 300),
        "acute": box(-200, 250, -100, 300),
    })
    fb.setupHorizontalMetrics({".notdef": (600, 100), "space": (250, 0),
                               "A": (400, 0), "acute": (0, -200)})
    fb.setupHorizontalHeader(ascent=300, descent=-100)
    fb.setupNameTable({"familyName": "ZephyrionTest", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=300, sTypoDescender=-100, usWinAscent=300, usWinDescent=100)
    fb.setupPost(keepGlyphNames=False)  # no names: FreeType would make a character map of them
    if not with_cmap:
        del fb.font["cmap"]
    fb.save(path)


if __name__ == "__main__":
    out = sys.argv[1]
    build(out + "/Short.ttf", True)
    build(out + "/NoCmap.ttf", False)
