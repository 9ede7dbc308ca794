"""Builds the TrueType pixel font from the glyph table: every glyph's pixels become one clean outline."""
import os

from . import glyphs

UNITS_PER_PIXEL = 100
ASCENT_PIXELS = glyphs.CAP_ROWS + 1   # one pixel of air above the capitals
DESCENT_PIXELS = glyphs.DESCENDER_ROWS


def trace_outlines(bitmap):
    """Returns the closed outlines of the union of the set pixels, in pixel units with y up.

    Outlines run clockwise around filled areas (filled side on the right), holes anticlockwise,
    which is what TrueType expects. Pixels that only touch at a corner stay separate outlines.
    """
    rows, cols = bitmap.shape

    def filled(r, c):
        return 0 <= r < rows and 0 <= c < cols and bitmap[r, c]

    edges = {}
    for r in range(rows):
        for c in range(cols):
            if not bitmap[r, c]:
                continue
            x0, y0 = c, glyphs.CAP_ROWS - 1 - r
            if not filled(r - 1, c):
                edges.setdefault((x0, y0 + 1), []).append((x0 + 1, y0 + 1))
            if not filled(r, c + 1):
                edges.setdefault((x0 + 1, y0 + 1), []).append((x0 + 1, y0))
            if not filled(r + 1, c):
                edges.setdefault((x0 + 1, y0), []).append((x0, y0))
            if not filled(r, c - 1):
                edges.setdefault((x0, y0), []).append((x0, y0 + 1))

    outlines = []
    while edges:
        start = min(edges)
        points = [start]
        current = start
        direction = None
        while True:
            choices = edges[current]
            target = _pick_turn(current, choices, direction)
            choices.remove(target)
            if not choices:
                del edges[current]
            direction = (target[0] - current[0], target[1] - current[1])
            current = target
            if current == start:
                break
            points.append(current)
        outlines.append(_drop_collinear(points))
    return outlines


def _pick_turn(at, choices, direction):
    if len(choices) == 1 or direction is None:
        return sorted(choices)[0]
    right = (direction[1], -direction[0])
    for target in choices:
        if (target[0] - at[0], target[1] - at[1]) == right:
            return target
    return sorted(choices)[0]


def _drop_collinear(points):
    result = []
    count = len(points)
    for i, point in enumerate(points):
        before, after = points[i - 1], points[(i + 1) % count]
        cross = (point[0] - before[0]) * (after[1] - point[1]) - (point[1] - before[1]) * (after[0] - point[0])
        if cross != 0:
            result.append(point)
    return result


def build_font(path):
    # Fixed timestamps keep the file byte-identical between runs.
    os.environ.setdefault("SOURCE_DATE_EPOCH", "1700000000")
    import fontforge  # imported late: only this builder needs it

    font = fontforge.font()
    font.encoding = "UnicodeFull"
    font.fontname = "Fibberish-Regular"
    font.familyname = "Fibberish"
    font.fullname = "Fibberish Regular"
    font.weight = "Regular"
    font.version = "1.000"
    font.copyright = "Bramblot project, CC0 1.0"
    font.em = (ASCENT_PIXELS + DESCENT_PIXELS) * UNITS_PER_PIXEL
    font.ascent = ASCENT_PIXELS * UNITS_PER_PIXEL
    font.descent = DESCENT_PIXELS * UNITS_PER_PIXEL
    font.os2_winascent = font.ascent
    font.os2_windescent = font.descent
    font.os2_typoascent = font.ascent
    font.os2_typodescent = -font.descent
    font.os2_typolinegap = 0
    font.hhea_ascent = font.ascent
    font.hhea_descent = -font.descent
    font.hhea_linegap = 0
    font.os2_winascent_add = False
    font.os2_windescent_add = False
    font.os2_typoascent_add = False
    font.os2_typodescent_add = False
    font.hhea_ascent_add = False
    font.hhea_descent_add = False

    notdef = font.createChar(-1, ".notdef")
    _draw_box(notdef)
    for code in range(32, 127):
        char = chr(code)
        glyph = font.createChar(code, fontforge.nameFromUnicode(code))
        bitmap = glyphs.glyph(char)
        pen = glyph.glyphPen()
        for outline in trace_outlines(bitmap):
            first = True
            for x, y in outline:
                point = (x * UNITS_PER_PIXEL, y * UNITS_PER_PIXEL)
                if first:
                    pen.moveTo(point)
                    first = False
                else:
                    pen.lineTo(point)
            pen.closePath()
        pen = None
        glyph.width = glyphs.advance(char) * UNITS_PER_PIXEL
    for glyph in font.glyphs():
        glyph.correctDirection()
    os.makedirs(os.path.dirname(path), exist_ok=True)
    font.generate(path, flags=("opentype", "omit-instructions"))
    font.close()


def _draw_box(glyph):
    unit = UNITS_PER_PIXEL
    pen = glyph.glyphPen()
    pen.moveTo((0, 0)); pen.lineTo((0, 7 * unit)); pen.lineTo((4 * unit, 7 * unit)); pen.lineTo((4 * unit, 0))
    pen.closePath()
    pen.moveTo((unit, unit)); pen.lineTo((3 * unit, unit)); pen.lineTo((3 * unit, 6 * unit)); pen.lineTo((unit, 6 * unit))
    pen.closePath()
    pen = None
    glyph.width = 5 * unit
