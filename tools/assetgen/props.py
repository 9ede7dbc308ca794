"""Things standing on the ground, drawn on the map's "Top" layer with real transparency:
fences, bushes, flowers, ruins, bridges, the heart plaques, the spawner chutes and more."""
import math

import numpy as np

from . import characters
from . import palette as pal
from . import pixels
from .tileset import TILE

FENCE_N, FENCE_E, FENCE_S, FENCE_W = 1, 2, 4, 8


def _tile():
    return pixels.canvas(TILE, TILE)


def _beam_horizontal(image, x0, x1, y):
    pixels.fill_rect(image, x0, y, x1 - x0, 1, pal.WOOD_LIGHT)
    pixels.fill_rect(image, x0, y + 1, x1 - x0, 1, pal.WOOD)
    pixels.fill_rect(image, x0, y + 2, x1 - x0, 1, pal.WOOD_DARK)


def _beam_vertical(image, x, y0, y1):
    pixels.fill_rect(image, x, y0, 1, y1 - y0, pal.WOOD_LIGHT)
    pixels.fill_rect(image, x + 1, y0, 2, y1 - y0, pal.WOOD)
    pixels.fill_rect(image, x + 3, y0, 1, y1 - y0, pal.WOOD_DARK)


def _post(image, x, y, height):
    pixels.fill_rect(image, x, y, 6, 2, pal.WOOD_SHINE)
    pixels.fill_rect(image, x, y + 2, 6, height - 2, pal.WOOD)
    pixels.fill_rect(image, x, y + 2, 1, height - 2, pal.WOOD_LIGHT)
    pixels.fill_rect(image, x + 5, y + 2, 1, height - 2, pal.WOOD_DARK)


def fence(connections):
    """A wooden fence piece; connections tell which neighbours hold fence too."""
    image = _tile()
    if connections & FENCE_N:
        _beam_vertical(image, 14, 0, 16)
    if connections & FENCE_S:
        _beam_vertical(image, 14, 16, TILE)
    if connections & FENCE_W:
        _beam_horizontal(image, 0, 16, 11)
        _beam_horizontal(image, 0, 16, 18)
    if connections & FENCE_E:
        _beam_horizontal(image, 16, TILE, 11)
        _beam_horizontal(image, 16, TILE, 18)
    _post(image, 13, 7, 17)
    return _with_shadow(pixels.outline(image))


def _with_shadow(image, strength=90):
    """A soft drop shadow one pixel down and right, so props sit on the ground."""
    shadow = np.zeros_like(image)
    solid = image[:, :, 3] > 0
    moved = pixels.shift(solid, 2, 1) & ~solid
    shadow[moved] = pixels.rgba(pal.OUTLINE)[:3] + (strength,)
    result = shadow.copy()
    pixels.paste(result, image, 0, 0)
    return result


def _ball(image, cx, cy, rx, ry, tones, seed=0, speckle=None):
    rng = np.random.default_rng(seed)
    for y in range(image.shape[0]):
        for x in range(image.shape[1]):
            dx, dy = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
            wobble = 1.0 + 0.08 * math.sin(math.atan2(dy, dx) * 6 + seed)
            distance = math.hypot(dx, dy)
            if distance > wobble:
                continue
            light = -dx * 0.6 - dy * 0.8 + (1 - distance) * 0.6
            level = int(np.clip((light + 0.9) / 1.8 * len(tones), 0, len(tones) - 1))
            colour = tones[level]
            if speckle and rng.random() < 0.12:
                colour = tones[min(level + 1, len(tones) - 1)] if rng.random() < 0.5 else tones[max(level - 1, 0)]
            image[y, x] = pixels.rgba(colour)


def bush(variant):
    image = _tile()
    tones = [pal.HEDGE_DEEP, pal.HEDGE_DARK, pal.HEDGE, pal.HEDGE_LIGHT, pal.GRASS_LIGHT]
    _ball(image, 16, 17, 13.5, 11.5, tones, seed=variant + 3, speckle=True)
    rng = np.random.default_rng(200 + variant)
    if variant == 1:
        for _ in range(5):
            x, y = int(rng.integers(7, 24)), int(rng.integers(10, 24))
            pixels.fill_rect(image, x, y, 2, 2, pal.BERRY)
            pixels.put(image, x, y, pal.BERRY_SHINE)
    if variant == 2:
        for _ in range(5):
            x, y = int(rng.integers(7, 24)), int(rng.integers(10, 24))
            for dx, dy in ((0, -1), (1, 0), (0, 1), (-1, 0)):
                pixels.put(image, x + dx, y + dy, pal.FLOWER_WHITE)
            pixels.put(image, x, y, pal.FLOWER_YELLOW)
    return _with_shadow(pixels.outline(image), 110)


def flowers(variant):
    image = _tile()
    colour = (pal.FLOWER_YELLOW, pal.FLOWER_PINK, pal.FLOWER_VIOLET, pal.FLOWER_WHITE)[variant]
    centre = pal.FLOWER_YELLOW if colour != pal.FLOWER_YELLOW else pal.FIRE
    rng = np.random.default_rng(300 + variant)
    spots = [(9, 10), (20, 8), (14, 18), (23, 21), (7, 23)]
    for index, (x, y) in enumerate(spots):
        x += int(rng.integers(-2, 3))
        y += int(rng.integers(-2, 3))
        if index == 4 and variant % 2:
            continue
        pixels.put(image, x, y + 2, pal.GRASS_DARK)
        pixels.put(image, x, y + 3, pal.GRASS_DARK)
        pixels.put(image, x + 1, y + 3, pal.GRASS_LIGHT)
        for dx, dy in ((0, -1), (1, 0), (0, 1), (-1, 0)):
            pixels.put(image, x + dx, y + dy, colour)
        pixels.put(image, x, y, centre)
    return image


def pebbles(variant):
    image = _tile()
    stones = [[(8, 20, 4, 3), (18, 12, 3, 2), (22, 22, 5, 3)], [(11, 9, 3, 3), (19, 19, 6, 4)]][variant]
    for x, y, w, h in stones:
        pixels.fill_rect(image, x, y, w, h, pal.STONE)
        pixels.fill_rect(image, x, y, w - 1, 1, pal.STONE_SHINE)
        pixels.fill_rect(image, x + 1, y + h - 1, w - 1, 1, pal.STONE_DARK)
    return _with_shadow(pixels.outline(image), 70)


def tuft(variant):
    image = _tile()
    rng = np.random.default_rng(400 + variant)
    base_x, base_y = (10, 22) if variant == 0 else (17, 18)
    for index in range(6):
        x = base_x + index * 2 + int(rng.integers(0, 2))
        height = int(rng.integers(4, 8))
        lean = (index - 2.5) * 0.25
        for step in range(height):
            px = x + int(round(lean * step))
            colour = pal.GRASS_TIP if step == height - 1 else pal.GRASS_LIGHT if step > 1 else pal.GRASS_DARK
            pixels.put(image, px, base_y - step, colour)
    return image


def mushrooms():
    image = _tile()
    for cx, cy, r in ((12, 17, 5), (21, 21, 3)):
        pixels.fill_rect(image, cx - 1, cy, 3, r + 2, pal.WHITE)
        pixels.fill_rect(image, cx + 1, cy, 1, r + 2, pal.PAPER)
        for y in range(cy - r, cy + 1):
            for x in range(cx - r - 1, cx + r + 2):
                if ((x - cx) / (r + 1.2)) ** 2 + ((y - cy) / (r * 0.95)) ** 2 <= 1.0:
                    pixels.put(image, x, y, pal.RED if y > cy - r + 1 else pal.RED_LIGHT)
        pixels.put(image, cx - 2, cy - r + 2, pal.WHITE)
        pixels.put(image, cx + 2, cy - 2, pal.WHITE)
    return _with_shadow(pixels.outline(image), 80)


def pillar():
    """A broken stone pillar of the old garden walls: a solid obstacle."""
    image = _tile()
    pixels.fill_rect(image, 5, 14, 22, 15, pal.STONE_DARK)
    for y in (18, 23):
        pixels.fill_rect(image, 5, y, 22, 1, pal.STONE_DEEP)
    for x, y in ((12, 14), (20, 19), (9, 19), (16, 24)):
        pixels.fill_rect(image, x, y, 1, 4, pal.STONE_DEEP)
    pixels.fill_rect(image, 5, 3, 22, 11, pal.STONE_LIGHT)
    pixels.fill_rect(image, 6, 4, 20, 1, pal.STONE_SHINE)
    pixels.fill_rect(image, 5, 13, 22, 1, pal.STONE)
    for x, y in ((10, 7), (11, 8), (12, 8), (19, 6), (20, 7)):
        pixels.put(image, x, y, pal.STONE)
    for x, y in ((6, 26), (7, 27), (8, 27), (24, 15), (25, 16), (6, 14), (7, 15)):
        pixels.put(image, x, y, pal.MOSS)
    return _with_shadow(pixels.outline(image), 110)


def sign():
    """A little warning sign for the edges of pits."""
    image = _tile()
    pixels.fill_rect(image, 15, 14, 3, 14, pal.WOOD)
    pixels.fill_rect(image, 17, 14, 1, 14, pal.WOOD_DARK)
    for row in range(11):
        half = row // 2 + 1
        pixels.fill_rect(image, 16 - half, 4 + row, 2 * half + 1, 1, pal.WARN_YELLOW)
    pixels.fill_rect(image, 16, 7, 1, 4, pal.WARN_DARK)
    pixels.put(image, 16, 12, pal.WARN_DARK)
    return _with_shadow(pixels.outline(image), 80)


def shadow_north():
    """Soft shade cast on the ground by the tall hedge above it."""
    image = _tile()
    for y in range(8):
        alpha = int(120 * (1 - y / 8))
        image[y, :] = pal.OUTLINE + (alpha,)
    return image


def emblem(player_index):
    """The start mark of a player, painted in its colour on the flagstones."""
    colours = pal.PLAYER_COLOURS[player_index]
    image = _tile()
    for y in range(TILE):
        for x in range(TILE):
            distance = math.hypot(x + 0.5 - 16, y + 0.5 - 16)
            if 9.5 <= distance <= 12.5:
                image[y, x] = pixels.rgba(colours["main"] if distance > 10.5 else colours["light"])
            elif distance < 4.5:
                image[y, x] = pixels.rgba(colours["dark"])
    return image


def river_bridge():
    """A 5x2 tile wooden bridge across the river: planks run with the flow, rails on both sides."""
    width, height = 5 * TILE, 2 * TILE
    image = pixels.canvas(width, height)
    for x in range(6, width - 6):
        plank = (x - 6) // 6
        edge = (x - 6) % 6
        colour = pal.WOOD_DARK if edge == 5 else (pal.WOOD_LIGHT if plank % 2 else pal.WOOD)
        pixels.fill_rect(image, x, 6, 1, height - 12, colour)
        if edge == 0:
            pixels.fill_rect(image, x, 6, 1, height - 12, pal.WOOD_SHINE)
    for y in (4, height - 9):
        _beam_horizontal(image, 2, width - 2, y)
        _beam_horizontal(image, 2, width - 2, y + 3)
    for x in (2, 38, 74, 110, width - 8):
        _post(image, x, 0, 12)
        _post(image, x, height - 14, 12)
    return _with_shadow(pixels.outline(image), 110)


def plank_bridge():
    """A 2x5 tile rope bridge across a pit: planks run across, ropes along the sides."""
    width, height = 2 * TILE, 5 * TILE
    image = pixels.canvas(width, height)
    for y in range(10, height - 10):
        plank = (y - 10) // 5
        edge = (y - 10) % 5
        colour = pal.WOOD_DARK if edge == 4 else (pal.WOOD_LIGHT if plank % 2 else pal.WOOD)
        inset = 7 if plank % 3 == 1 else 6
        pixels.fill_rect(image, inset, y, width - 2 * inset, 1, colour)
        if edge == 0:
            pixels.fill_rect(image, inset, y, width - 2 * inset, 1, pal.WOOD_SHINE)
    for x in (3, width - 5):
        pixels.fill_rect(image, x, 8, 2, height - 16, pal.PAPER)
        pixels.fill_rect(image, x + 1, 8, 1, height - 16, pal.THORN)
        _post(image, x - 2, 2, 10)
        _post(image, x - 2, height - 14, 10)
    return _with_shadow(pixels.outline(image), 110)


def plaque(player_index):
    """A 5x2 tile parchment board hung on the hedge, behind a player's row of hearts.

    The hearts are drawn by the game over its panel; the player's head at the right end tells
    whose hearts they are.
    """
    width, height = 5 * TILE, 2 * TILE
    image = pixels.canvas(width, height)
    pixels.fill_rect(image, 2, 8, width - 4, height - 8, pal.WOOD_DARK)
    pixels.fill_rect(image, 3, 9, width - 6, 2, pal.WOOD_LIGHT)
    pixels.fill_rect(image, 3, 11, width - 6, height - 14, pal.WOOD)
    pixels.fill_rect(image, 6, 13, width - 12, height - 18, pal.PAPER)
    pixels.fill_rect(image, 6, 13, width - 12, 1, pal.WHITE)
    pixels.fill_rect(image, 6, height - 6, width - 12, 1, pal.THORN)
    for x, y in ((10, 20), (60, 50), (100, 24), (130, 44), (30, 40)):
        pixels.put(image, x, y, pal.THORN)
    for x in (5, width - 7):
        pixels.fill_rect(image, x, 4, 2, 5, pal.GREY)
        pixels.put(image, x, 3, pal.STONE_SHINE)
    head = pixels.from_rows(characters._FRONT[1:10], characters._legend(pal.PLAYER_COLOURS[player_index]))
    pixels.paste(image, pixels.outline(head[:, 3:13]), 139, 26)
    return _with_shadow(pixels.outline(image), 120)


def chute():
    """A 1x2 tile wooden hatch in the hedge where the spawners push items out."""
    image = pixels.canvas(TILE, 2 * TILE)
    pixels.fill_rect(image, 2, 12, 28, 52, pal.WOOD_DARK)
    pixels.fill_rect(image, 4, 14, 24, 48, pal.WOOD)
    pixels.fill_rect(image, 4, 14, 24, 2, pal.WOOD_LIGHT)
    for y in range(20, 62):
        shade = pal.VOID if y < 34 else pal.SHADOW if y < 48 else pal.DUSK
        pixels.fill_rect(image, 7, y, 18, 1, shade)
    pixels.fill_rect(image, 0, 8, TILE, 5, pal.WOOD_LIGHT)
    pixels.fill_rect(image, 0, 12, TILE, 1, pal.WOOD_DARK)
    for x in (11, 20):
        pixels.fill_rect(image, x, 52, 2, 6, pal.GOLD)
    for row in range(3):
        pixels.fill_rect(image, 13 - row, 57 + row, 2 + 2 * row + 2, 1, pal.GOLD)
    return pixels.outline(image)


def culvert():
    """A 3x2 tile stone arch in the hedge out of which the river flows."""
    width, height = 3 * TILE, 2 * TILE
    image = pixels.canvas(width, height)
    centre = width / 2
    for y in range(height):
        for x in range(width):
            dx = (x + 0.5 - centre) / 44.0
            dy = (y + 0.5 - 40.0) / 30.0
            outer = dx * dx + dy * dy <= 1.0 or y >= 40
            inner_dx = (x + 0.5 - centre) / 36.0
            inner_dy = (y + 0.5 - 42.0) / 22.0
            inner = (inner_dx * inner_dx + inner_dy * inner_dy <= 1.0 or y >= 42) and 6 <= x < width - 6
            if not outer or x < 2 or x >= width - 2:
                continue
            if inner:
                colour = pal.VOID if y < 50 else pal.WATER_DEEP
                if y >= 56 and (x * 7 + y) % 9 == 0:
                    colour = pal.WATER_LIGHT
            else:
                row = y // 7
                brick = ((x + (row % 2) * 6) // 12)
                edge_x = (x + (row % 2) * 6) % 12 == 0
                colour = pal.STONE_DARK if y % 7 == 6 or edge_x else (pal.STONE if brick % 2 else pal.STONE_LIGHT)
            image[y, x] = pixels.rgba(colour)
    return pixels.outline(image)


def add_to(tileset):
    for connections in range(16):
        tileset.add(("fence", connections), fence(connections))
    for variant in range(3):
        tileset.add(("bush", variant), bush(variant))
    for variant in range(4):
        tileset.add(("flowers", variant), flowers(variant))
    for variant in range(2):
        tileset.add(("pebbles", variant), pebbles(variant))
        tileset.add(("tuft", variant), tuft(variant))
    tileset.add(("mushrooms",), mushrooms())
    tileset.add(("pillar",), pillar())
    tileset.add(("sign",), sign())
    tileset.add(("shadow_north",), shadow_north())
    for player in (0, 1):
        tileset.add(("emblem", player), emblem(player))
    tileset.add_picture("river_bridge", river_bridge())
    tileset.add_picture("plank_bridge", plank_bridge())
    tileset.add_picture("plaque0", plaque(0))
    tileset.add_picture("plaque1", plaque(1))
    tileset.add_picture("chute", chute())
    tileset.add_picture("culvert", culvert())
