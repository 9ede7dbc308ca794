"""Player sprite sheets: a hooded brawler in each player's colour.

Sheet layout (what the game's animation tables address):
  standing  2 frames 16x16 from (0, 0)    columns: facing down, up, right
  walking   4 frames 16x16 from (48, 0)
  throwing  4 frames 32x32 from (96, 0)
Frames of one column are stacked downwards. Left is the right column mirrored by the game.
"""
import math

import numpy as np

from . import palette as pal
from . import pixels

SHEET_WIDTH = 192
SHEET_HEIGHT = 128
SMALL = 16
LARGE = 32

# Hand-drawn bodies without outline; the outline is added afterwards so every pose gets a clean one.
# Keys: h/H/d hood main/light/dark (the player's colour), a sleeve, t/T/u tunic main/light/dark, s/S skin, c cheek,
# e eye, y collar, b belt, g buckle, p trousers, k boots.
_FRONT = [
    "................",
    "......hhhh......",
    "....hhHHhhhh....",
    "...hHHhhhhhhd...",
    "...hHhhhhhhhd...",
    "...hhddddddhd...",
    "...hdssssssdd...",
    "...hdsessesdd...",
    "...dhcsssscdd...",
    "....dyyyyyyd....",
    "...attTttttua...",
    "...sutTttttus...",
    "....bbbgbbbb....",
    "....ppp..ppp....",
    "....kkk..kkk....",
    "................",
]

_BACK = [
    "................",
    "......hhhh......",
    "....hhHHhhhh....",
    "...hHHhhhhhhd...",
    "...hHhhhhhhhd...",
    "...hhhhhhhhhd...",
    "...hhhhhhhhdd...",
    "...dhhhhhhhdd...",
    "...ddhhhhhddd...",
    "....dyyyyyyd....",
    "...ahhHhhhhda...",
    "...shhhhhhdds...",
    "....dhhhhhdd....",
    "....ppp..ppp....",
    "....kkk..kkk....",
    "................",
]

_SIDE = [
    "................",
    ".....hhhhh......",
    "...hhHHhhhhh....",
    "..hHHhhhhhhhh...",
    "..hHhhhhhhhhhd..",
    "..hhhhhhhhdddd..",
    "..hhhhhhhdssss..",
    "..dhhhhhhdsses..",
    "..ddhhhhhdcsss..",
    "...ddhhyyyyy....",
    "....dtTttttta...",
    "....utTttttts...",
    ".....bbbgbb.....",
    ".....ppppp......",
    ".....kkkkkk.....",
    "................",
]

# Leg poses per walking frame (rows 13 and 14), drawn over the standing legs.
_FRONT_LEGS = [
    ["....ppp..kkk....", "....kkk........."],
    ["....ppp..ppp....", "....kkk..kkk...."],
    ["....kkk..ppp....", ".........kkk...."],
    ["....ppp..ppp....", "....kkk..kkk...."],
]
_SIDE_LEGS = [
    ["....pp...pp.....", "...kkk...kkk...."],
    [".....ppppp......", ".....kkkkkk....."],
    [".....pp.pp......", "....kkk.kkk....."],
    [".....ppppp......", ".....kkkkkk....."],
]


def _legend(colours):
    return {
        "h": colours["main"], "H": colours["light"], "d": colours["dark"], "a": colours["main"],
        "t": pal.PAPER, "T": pal.WHITE, "u": pal.THORN,
        "s": pal.SKIN, "S": pal.SKIN_SHADE, "c": pal.CHEEK, "e": pal.OUTLINE,
        "y": colours["dark"], "b": pal.WOOD_DARK, "g": pal.GOLD_LIGHT, "p": pal.DUSK, "k": pal.WOOD,
    }


def _with_legs(rows, legs):
    return rows[:13] + legs + rows[15:]


def _bob(rows):
    """Idle/walk bob: the upper body sinks one pixel, the feet stay where they are."""
    upper = rows[:13]
    return ["." * 16] + upper[:12] + [rows[12][:]] + rows[14:15] + rows[15:]


def _swing_hands(rows, phase, side_view=False):
    """Moves the hands one pixel up or down in time with the steps."""
    grid = [list(row) for row in rows]
    if side_view:
        return rows
    for y in (10, 11):
        for x in (3, 12):
            if grid[y][x] in "as":
                grid[y][x] = "."
    left_high = phase == 0
    right_high = phase == 2
    for x, high in ((3, left_high), (12, right_high)):
        top = 9 if high else 10
        if grid[top][x] == ".":
            grid[top][x] = "a"
        grid[top + 1][x] = "s"
    return ["".join(row) for row in grid]


def _render(rows, colours):
    return pixels.outline(pixels.from_rows(rows, _legend(colours)))


def _standing_frames(base, colours):
    return [_render(base, colours), _render(_bob(base), colours)]


def _walking_frames(base, legs, colours, side_view=False):
    frames = []
    for index, leg_rows in enumerate(legs):
        rows = _with_legs(base, leg_rows)
        rows = _swing_hands(rows, index, side_view)
        if index % 2 == 1:
            rows = _bob(rows)
        frames.append(_render(rows, colours))
    return frames


def _without_hands(rows, columns):
    grid = [list(row) for row in rows]
    for y in (9, 10, 11):
        for x in columns:
            if grid[y][x] in "as":
                grid[y][x] = "."
    return ["".join(row) for row in grid]


# Throw poses per facing: shoulder, hand position of each of the four frames (32x32 frame
# coordinates, the body sits at (8, 8)), and the bend of the swoosh that trails the release.
_THROW_POSES = {
    "down": {"shoulder": (20, 18), "hands": [(24, 13), (20, 10), (25, 24), (21, 26)],
             "bend": [(30, 15), (26, 28)], "hide": (12,)},
    "up": {"shoulder": (20, 18), "hands": [(23, 24), (23, 14), (20, 8), (23, 11)],
           "bend": [(28, 9), (17, 6)], "hide": (12,)},
    "right": {"shoulder": (16, 18), "hands": [(10, 14), (14, 10), (24, 17), (22, 23)],
              "bend": [(24, 8), (26, 22)], "hide": (11, 12)},
}


def _throw_frames(base, facing, colours):
    """Four 32x32 frames: wind-up, swing, release, follow-through, with a swoosh behind the hand."""
    pose = _THROW_POSES[facing]
    body = _without_hands(base, pose["hide"])
    legend = _legend(colours)
    frames = []
    for index, hand in enumerate(pose["hands"]):
        image = pixels.canvas(LARGE, LARGE)
        body_rows = _bob(body) if index == 1 else body
        arm_in_front = not (facing == "up" and index == 0)
        if not arm_in_front:
            _draw_arm(image, pose["shoulder"], hand, colours)
        pixels.paste(image, pixels.from_rows(body_rows, legend), 8, 8)
        if arm_in_front:
            _draw_arm(image, pose["shoulder"], hand, colours)
        image = pixels.outline(image)
        if index >= 2:
            start = pose["hands"][index - 1]
            _draw_swoosh(image, start, pose["bend"][index - 2], hand, strong=index == 2)
        frames.append(image)
    return frames


def _draw_arm(image, shoulder, hand, colours):
    steps = 12
    for step in range(steps + 1):
        t = step / steps
        x = shoulder[0] + (hand[0] - shoulder[0]) * t
        y = shoulder[1] + (hand[1] - shoulder[1]) * t
        colour = colours["main"] if t < 0.75 else pal.SKIN
        for ox, oy in ((0, 0), (-1, 0), (0, -1), (-1, -1)):
            pixels.put(image, int(round(x)) + ox, int(round(y)) + oy, colour)


def _draw_swoosh(image, start, bend, end, strong):
    """A curved motion trail from the previous hand position to the current one."""
    steps = 24
    for step in range(steps + 1):
        t = step / steps
        x = (1 - t) ** 2 * start[0] + 2 * (1 - t) * t * bend[0] + t * t * end[0]
        y = (1 - t) ** 2 * start[1] + 2 * (1 - t) * t * bend[1] + t * t * end[1]
        if t > 0.85:
            continue
        if not strong and t < 0.4:
            continue
        colour = pal.WATER_SHINE if t < 0.35 else (pal.FOAM if t < 0.65 else pal.WHITE)
        px, py = int(round(x)), int(round(y))
        if 0 <= py < image.shape[0] and 0 <= px < image.shape[1] and image[py, px, 3] == 0:
            pixels.put(image, px, py, colour)


def build_sheet(player_index):
    colours = pal.PLAYER_COLOURS[player_index]
    sheet = pixels.canvas(SHEET_WIDTH, SHEET_HEIGHT)
    views = (("down", _FRONT, _FRONT_LEGS, False), ("up", _BACK, _FRONT_LEGS, False),
             ("right", _SIDE, _SIDE_LEGS, True))
    for column, (facing, base, legs, side_view) in enumerate(views):
        for row, frame in enumerate(_standing_frames(base, colours)):
            pixels.paste(sheet, frame, column * SMALL, row * SMALL)
        for row, frame in enumerate(_walking_frames(base, legs, colours, side_view)):
            pixels.paste(sheet, frame, 48 + column * SMALL, row * SMALL)
        for row, frame in enumerate(_throw_frames(base, facing, colours)):
            pixels.paste(sheet, frame, 96 + column * LARGE, row * LARGE)
    return sheet


def build(assets_dir):
    for index in (0, 1):
        pixels.save_png(build_sheet(index), "%s/Player/player%d.png" % (assets_dir, index))
