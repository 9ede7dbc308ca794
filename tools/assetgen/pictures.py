"""The studio logo of the menu and the picture of both players' controls."""
import numpy as np

from . import characters
from . import glyphs
from . import palette as pal
from . import pixels

LOGO_SIZE = (512, 224)
CONTROLS_SCALE = 4
CONTROLS_LOGICAL = (270, 162)   # 1080 x 648 pixels: exactly 60 % of a 1080-pixel-high screen at scale 1


def _text_mask(text, scale):
    width = glyphs.text_width(text) * scale
    height = glyphs.CAP_ROWS * scale
    image = pixels.canvas(width, height)
    glyphs.draw_text(image, text, 0, 0, (255, 255, 255), scale)
    return image[:, :, 3] > 0


def _blackberry(image, x, y):
    """The studio's mark: a bramble berry with a leaf."""
    leaf = [
        "....gg......",
        "..gggGg.....",
        ".gggGGgg....",
        "ggggGgggg...",
        ".gggGggg....",
        "..ggGgg.....",
        "....Gg......",
    ]
    leaf_image = pixels.outline(pixels.from_rows(leaf, {"g": pal.GRASS_LIGHT, "G": pal.HEDGE}))
    pixels.paste(image, pixels.scale_up(leaf_image, 2), x + 12, y - 14)
    berry = pixels.canvas(40, 44)
    for cy in range(4):
        for cx in range(4 - (cy == 3) * 1):
            offset = 4 if cy % 2 else 0
            centre_x, centre_y = 6 + cx * 9 + offset, 6 + cy * 9
            for py in range(-4, 5):
                for px in range(-4, 5):
                    distance = (px * px + py * py) ** 0.5
                    if distance <= 4.3:
                        colour = pal.BERRY if distance > 2.2 else pal.BERRY_DARK
                        if px <= -1 and py <= -1 and distance < 3.2:
                            colour = pal.BERRY_SHINE
                        pixels.put(berry, centre_x + px, centre_y + py, colour)
    pixels.paste(image, pixels.scale_up(pixels.outline(berry), 2), x - 30, y + 2)


def build_logo():
    width, height = LOGO_SIZE
    image = pixels.canvas(width, height)
    scale = 12
    mask = _text_mask("KELO", scale)
    text_height, text_width = mask.shape
    left = (width - text_width) // 2 + 44
    top = 22
    depth = 8
    # Extruded letters: a dark side, then a golden face that lightens towards the top.
    for step in range(depth, 0, -1):
        shade = pal.BERRY_DARK if step > 2 else pal.RED_DARK
        region = image[top + step:top + step + text_height, left + step:left + step + text_width]
        region[mask] = pixels.rgba(shade)
    face = image[top:top + text_height, left:left + text_width]
    for row in range(text_height):
        band = row / text_height
        colour = pal.GOLD_LIGHT if band < 0.3 else pal.GOLD if band < 0.72 else pal.GOLD_DARK
        face[row][mask[row]] = pixels.rgba(colour)
    for row in range(scale // 3):
        face[row][mask[row]] = pixels.rgba(pal.WHITE)
    image = pixels.outline(image, pal.OUTLINE)
    image = pixels.outline(image, pal.OUTLINE)
    _blackberry(image, left - 70, top + 30)
    subtitle = "GAMES"
    sub_scale = 5
    sub_width = glyphs.text_width(subtitle) * sub_scale + (len(subtitle) - 1) * sub_scale * 2
    sub_left = left + (text_width - sub_width) // 2
    sub_top = top + text_height + depth + 22
    x = sub_left
    for char in subtitle:
        glyphs.draw_text(image, char, x, sub_top, pal.PAPER, sub_scale, shadow=pal.BERRY_DARK)
        x += (glyphs.glyph(char).shape[1] + 3) * sub_scale
    line_y = sub_top + glyphs.CAP_ROWS * sub_scale // 2
    pixels.fill_rect(image, left - 8, line_y, sub_left - left - 8, 4, pal.GOLD)
    pixels.fill_rect(image, x + 8, line_y, left + text_width - x, 4, pal.GOLD)
    return pixels.outline(image, pal.OUTLINE)


# ---------------------------------------------------------------------------------------------
# The controls picture, drawn at a quarter of its size and enlarged, like every other pixel picture.

def _panel(image, x, y, width, height, border):
    pixels.fill_rect(image, x, y, width, height, pal.OUTLINE)
    pixels.fill_rect(image, x + 1, y + 1, width - 2, height - 2, border)
    pixels.fill_rect(image, x + 2, y + 2, width - 4, height - 4, pal.SHADOW)
    pixels.fill_rect(image, x + 2, y + 2, width - 4, 1, pal.DUSK)


def _key(image, x, y, width, label=None, arrow=None):
    """A keycap seen from the front: light top, darker lip, dark outline."""
    height = 14
    pixels.fill_rect(image, x, y, width, height, pal.OUTLINE)
    pixels.fill_rect(image, x + 1, y + 1, width - 2, height - 2, pal.STONE_DARK)
    pixels.fill_rect(image, x + 1, y + 1, width - 2, height - 5, pal.STONE_LIGHT)
    pixels.fill_rect(image, x + 2, y + 1, width - 4, 1, pal.STONE_SHINE)
    centre_x = x + width // 2
    if label:
        glyphs.draw_text_centred(image, label, centre_x, y + 2, pal.INK)
    if arrow:
        _arrow(image, centre_x, y + 5, arrow)


def _arrow(image, cx, cy, direction):
    for step in range(4):
        for offset in range(-step, step + 1):
            if direction == "up":
                pixels.put(image, cx + offset, cy - 2 + step, pal.INK)
            elif direction == "down":
                pixels.put(image, cx + offset, cy + 2 - step, pal.INK)
            elif direction == "left":
                pixels.put(image, cx - 2 + step, cy + offset, pal.INK)
            else:
                pixels.put(image, cx + 2 - step, cy + offset, pal.INK)


def _head(player):
    rows = characters._FRONT[1:10]
    head = pixels.from_rows(rows, characters._legend(pal.PLAYER_COLOURS[player]))
    return pixels.outline(head[:, 2:14])


def _label(image, text, x, y, colour=pal.PAPER):
    glyphs.draw_text(image, text, x, y, colour, shadow=pal.OUTLINE)


def _keyboard_panel(image, x, y, player):
    colours = pal.PLAYER_COLOURS[player]
    _panel(image, x, y, 126, 80, colours["main"])
    pixels.paste(image, _head(player), x + 6, y + 5)
    _label(image, "Player%d" % player, x + 22, y + 7, colours["light"])
    _label(image, "keyboard", x + 70, y + 7, pal.GREY)
    top = y + 22
    if player == 0:
        _key(image, x + 24, top, 14, "W")
        _key(image, x + 8, top + 16, 14, "A")
        _key(image, x + 24, top + 16, 14, "S")
        _key(image, x + 40, top + 16, 14, "D")
        _key(image, x + 8, top + 38, 46, "Space")
    else:
        _key(image, x + 24, top, 14, arrow="up")
        _key(image, x + 8, top + 16, 14, arrow="left")
        _key(image, x + 24, top + 16, 14, arrow="down")
        _key(image, x + 40, top + 16, 14, arrow="right")
        _key(image, x + 8, top + 38, 46, "Enter")
    _label(image, "walk", x + 64, top + 19)
    _label(image, "throw", x + 64, top + 41)


def _gamepad(image, x, y):
    body = [
        "....oooooo..........oooooo....",
        "...oRRRRRRo........oRRRRRRo...",
        "..oooooooooooooooooooooooooo..",
        ".obbbbbbbbbbbbbbbbbbbbbbbbbbo.",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbbbbbbbbbbbbbbbbbbbbo",
        "obbbbbbbbbooooooooooobbbbbbbbo",
        "obbbbbbbbo..........obbbbbbbbo",
        ".obbbbbbo............obbbbbbo.",
        "..oooooo..............oooooo..",
    ]
    shape = pixels.from_rows(body, {"o": pal.OUTLINE, "b": pal.STONE, "R": pal.STONE_LIGHT})
    shape = pixels.scale_up(shape, 2)
    pixels.paste(image, shape, x, y)
    # Sticks, face buttons, start.
    for cx, cy in ((x + 14, y + 12), (x + 38, y + 20)):
        pixels.fill_rect(image, cx - 4, cy - 4, 9, 9, pal.OUTLINE)
        pixels.fill_rect(image, cx - 3, cy - 3, 7, 7, pal.STONE_DARK)
        pixels.fill_rect(image, cx - 2, cy - 2, 4, 3, pal.STONE_LIGHT)
    for (bx, by), colour in (((x + 46, y + 7), pal.FLOWER_YELLOW), ((x + 51, y + 11), pal.RED),
                             ((x + 41, y + 11), pal.BLUE_LIGHT), ((x + 46, y + 15), pal.GRASS_LIGHT)):
        pixels.fill_rect(image, bx - 2, by - 2, 5, 5, pal.OUTLINE)
        pixels.fill_rect(image, bx - 1, by - 1, 3, 3, colour)
    pixels.fill_rect(image, x + 29, y + 10, 5, 3, pal.OUTLINE)
    pixels.fill_rect(image, x + 30, y + 11, 3, 1, pal.WHITE)
    pixels.fill_rect(image, x + 20, y + 20, 7, 7, pal.OUTLINE)
    pixels.fill_rect(image, x + 22, y + 21, 3, 5, pal.STONE_DARK)
    pixels.fill_rect(image, x + 21, y + 22, 5, 3, pal.STONE_DARK)
    return {
        "left stick": (x + 14, y + 12), "right stick": (x + 38, y + 20), "R1": (x + 46, y + 1),
        "A": (x + 46, y + 15), "Start": (x + 31, y + 11),
    }


def _controller_panel(image, x, y):
    _panel(image, x, y, 258, 62, pal.GOLD_DARK)
    _label(image, "Controller", x + 6, y + 5, pal.GOLD_LIGHT)
    _label(image, "one each", x + 12, y + 50, pal.GREY)
    _gamepad(image, x + 8, y + 17)
    rows = [
        ("Left stick: ", "walk"),
        ("Right stick: ", "aim"),
        ("R1 (button 5): ", "hold to charge,"),
        ("", "release to throw"),
        ("A (button 0): ", "select"),
        ("Start (button 7): ", "menu"),
    ]
    column = x + 80
    indent = glyphs.text_width("R1 (button 5): ") + 1
    for index, (control, action) in enumerate(rows):
        row_y = y + 5 + index * 9
        if control:
            end = glyphs.draw_text(image, control, column, row_y, pal.GOLD_LIGHT, shadow=pal.OUTLINE)
        else:
            end = column + indent
        _label(image, action, end, row_y)


def build_controls():
    width, height = CONTROLS_LOGICAL
    image = pixels.canvas(width, height, pal.INK)
    for y in range(height):
        for x in range(width):
            if (x + y) % 4 == 0 and (x // 4 + y // 4) % 2 == 0:
                image[y, x] = pixels.rgba(pal.SHADOW)
    _keyboard_panel(image, 6, 4, 0)
    _keyboard_panel(image, 138, 4, 1)
    _controller_panel(image, 6, 86)
    _label(image, "Esc: back / menu", 8, 151, pal.PAPER)
    _label(image, "F1: physics overlay", 146, 151, pal.PAPER)
    return pixels.scale_up(image, CONTROLS_SCALE)


def build(assets_dir):
    pixels.save_png(build_logo(), "%s/Logo/kelo_logo.png" % assets_dir)
    controls = build_controls()
    pixels.save_png(controls[:, :, :3].copy(), "%s/Controls.png" % assets_dir)
