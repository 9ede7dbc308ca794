"""Ground tiles of the arena: grass, dirt paths, flagstones, the river, chasms, the bramble hedge.

Every family except grass comes as the 47 neighbour combinations of a blob tileset, so a map
author (or the arena builder) can shape paths, pits and hedges freely and the edges always join.
"""
import functools

import numpy as np

from . import noise
from . import palette as pal
from . import shapes
from .tileset import TILE

GRASS_VARIANTS = 8
CHASM_FACE = 20
HEDGE_FACE = 13
HEDGE_VARIANTS = 4


def _image(colour):
    image = np.zeros((TILE, TILE, 3), dtype=np.uint8)
    image[:, :] = colour
    return image


def _dithered_layers(image, field, layers):
    """Paints colours where a noise field crosses thresholds, with an ordered dither at each border."""
    for low, high, colour in layers:
        for y in range(TILE):
            for x in range(TILE):
                value = field[y, x]
                coverage = np.clip((value - low) / max(high - low, 1e-6), 0.0, 1.0)
                if noise.bayer(coverage, x, y):
                    image[y, x] = colour
    return image


@functools.lru_cache(maxsize=None)
def _grass_base():
    """Fine, even grass: many tiny blades instead of big clumps, so the tiling does not show."""
    field = noise.periodic(TILE, TILE, 4, 11, octaves=1)
    image = _image(pal.GRASS)
    rng = np.random.default_rng(12)
    for _ in range(70):
        x, y = int(rng.integers(0, TILE)), int(rng.integers(0, TILE))
        image[y, x] = pal.GRASS_DARK
        image[(y + 1) % TILE, x] = pal.GRASS_DARK
    for _ in range(45):
        x, y = int(rng.integers(0, TILE)), int(rng.integers(0, TILE))
        if tuple(image[y, x]) == pal.GRASS and field[y, x] > 0.35:
            image[y, x] = pal.GRASS_LIGHT
    return image


def _blade(image, x, y):
    image[y, x - 1] = pal.GRASS_LIGHT
    image[y, x + 1] = pal.GRASS_LIGHT
    image[y - 1, x - 1] = pal.GRASS_TIP
    image[y + 1, x] = pal.GRASS_DARK
    image[y, x] = pal.GRASS_LIGHT


def _flower_dot(image, x, y, colour):
    image[y, x] = colour
    image[y + 1, x] = pal.GRASS_DARK


def grass(variant):
    image = grass_base()
    rng = np.random.default_rng(100 + variant)
    blades = [2, 5, 3, 7, 2, 4, 6, 3][variant]
    for _ in range(blades):
        _blade(image, int(rng.integers(3, 29)), int(rng.integers(3, 28)))
    if variant in (2, 6):
        colour = pal.FLOWER_WHITE if variant == 2 else pal.FLOWER_YELLOW
        for _ in range(3):
            _flower_dot(image, int(rng.integers(3, 29)), int(rng.integers(3, 28)), colour)
    if variant == 4:
        for _ in range(2):
            x, y = int(rng.integers(4, 27)), int(rng.integers(4, 27))
            image[y, x:x + 2] = pal.PEBBLE
            image[y + 1, x:x + 2] = pal.DIRT_DARK
    if variant == 7:
        x, y = int(rng.integers(6, 22)), int(rng.integers(6, 22))
        for dx, dy in ((0, 0), (1, 0), (0, 1), (2, 1), (1, 2), (3, 2)):
            image[y + dy, x + dx] = pal.GRASS_DARK
    return image


@functools.lru_cache(maxsize=None)
def _dirt_base():
    field = noise.periodic(TILE, TILE, 8, 21, octaves=2)
    image = _image(pal.DIRT)
    _dithered_layers(image, -field, [(-0.36, -0.3, pal.DIRT_DARK)])
    _dithered_layers(image, field, [(0.64, 0.7, pal.DIRT_LIGHT)])
    rng = np.random.default_rng(22)
    for _ in range(7):
        x, y = int(rng.integers(1, 30)), int(rng.integers(1, 30))
        image[y, x] = pal.PEBBLE
        image[y + 1, x] = pal.DIRT_DARK
    for _ in range(20):
        image[int(rng.integers(0, TILE)), int(rng.integers(0, TILE))] = pal.DIRT_DARK
    return image


@functools.lru_cache(maxsize=None)
def _flagstone_base():
    image = _image(pal.STONE_DEEP)
    rng = np.random.default_rng(31)
    rows = [(0, [12, 10, 10]), (4, [10, 12, 10]), (9, [11, 11, 10]), (2, [10, 10, 12])]
    for row, (offset, widths) in enumerate(rows):
        top = row * 8
        left = offset
        for width in widths:
            tone = [pal.STONE, pal.STONE, pal.STONE_LIGHT][int(rng.integers(0, 3))]
            for x in range(left, left + width - 1):
                for y in range(top, top + 7):
                    colour = tone
                    if y == top or x == left:
                        colour = pal.STONE_SHINE if tone == pal.STONE_LIGHT else pal.STONE_LIGHT
                    elif y == top + 6 or x == left + width - 2:
                        colour = pal.STONE_DARK
                    image[y % TILE, x % TILE] = colour
            left += width
    for _ in range(4):
        x, y = int(rng.integers(1, 31)), int(rng.integers(1, 31))
        if tuple(image[y, x]) != pal.STONE_DEEP:
            image[y, x] = pal.MOSS
    return image


@functools.lru_cache(maxsize=None)
def _water_base(variant):
    """Half of a 32x64 river texture; streaks and chevrons point downstream (down the screen)."""
    height = 2 * TILE
    field = noise.periodic(TILE, height, 4, 41, octaves=2)
    texture = np.zeros((height, TILE, 3), dtype=np.uint8)
    texture[:, :] = pal.WATER
    for y in range(height):
        for x in range(TILE):
            if noise.bayer(np.clip((0.38 - field[y, x]) / 0.08, 0, 1), x, y):
                texture[y, x] = pal.WATER_DEEP
            elif noise.bayer(np.clip((field[y, x] - 0.62) / 0.08, 0, 1), x, y):
                texture[y, x] = pal.WATER_LIGHT
    rng = np.random.default_rng(42)
    for _ in range(9):
        x, y, length = int(rng.integers(0, TILE)), int(rng.integers(0, height)), int(rng.integers(5, 12))
        for step in range(length):
            texture[(y + step) % height, x] = pal.WATER_LIGHT
        texture[(y + length) % height, x] = pal.WATER_SHINE
    for _ in range(5):
        x, y = int(rng.integers(0, TILE)), int(rng.integers(0, height))
        for dx, dy in ((-2, -2), (-1, -1), (0, 0), (1, -1), (2, -2)):
            texture[(y + dy) % height, (x + dx) % TILE] = pal.WATER_SHINE
        texture[(y + 1) % height, x % TILE] = pal.WATER_DEEP
    return texture[variant * TILE:(variant + 1) * TILE]


@functools.lru_cache(maxsize=None)
def _void_base():
    field = noise.periodic(TILE, TILE, 3, 51, octaves=2)
    image = _image(pal.VOID)
    _dithered_layers(image, field, [(0.52, 0.62, pal.VOID_DEEP)])
    rng = np.random.default_rng(52)
    for _ in range(2):
        image[int(rng.integers(0, TILE)), int(rng.integers(0, TILE))] = pal.DUSK
    return image


@functools.lru_cache(maxsize=None)
def _hedge_top_texture():
    """A 64x64 leafy texture; hedge tiles take the quarter that matches their cell's parity, so
    the long hedge does not repeat every tile."""
    size = 2 * TILE
    field = noise.periodic(size, size, 16, 61, octaves=3)
    image = np.zeros((size, size, 3), dtype=np.uint8)
    image[:, :] = pal.HEDGE
    for y in range(size):
        for x in range(size):
            value = field[y, x]
            if noise.bayer(np.clip((0.44 - value) / 0.06, 0, 1), x, y):
                image[y, x] = pal.HEDGE_DARK
            if noise.bayer(np.clip((0.32 - value) / 0.04, 0, 1), x, y):
                image[y, x] = pal.HEDGE_DEEP
            if noise.bayer(np.clip((value - 0.6) / 0.06, 0, 1), x, y):
                image[y, x] = pal.HEDGE_LIGHT
    rng = np.random.default_rng(62)
    for _ in range(40):
        x, y = int(rng.integers(0, size)), int(rng.integers(0, size))
        image[y, x] = pal.GRASS_LIGHT
        image[(y + 1) % size, x] = pal.HEDGE_DEEP
    for _ in range(9):
        x, y = int(rng.integers(0, size)), int(rng.integers(0, size))
        for dy in range(2):
            for dx in range(2):
                image[(y + dy) % size, (x + dx) % size] = pal.BERRY
        image[y, x] = pal.BERRY_SHINE
        image[(y + 2) % size, x] = pal.BERRY_DARK
        image[(y + 2) % size, (x + 1) % size] = pal.BERRY_DARK
    for _ in range(14):
        image[int(rng.integers(0, size)), int(rng.integers(0, size))] = pal.THORN
    return image


def _hedge_top_base(variant):
    column, row = variant % 2, variant // 2
    return _hedge_top_texture()[row * TILE:(row + 1) * TILE, column * TILE:(column + 1) * TILE]


def hedge_face_colour(x, depth):
    """Colour of the hedge's front face; depth counts up from the bottom edge."""
    if depth <= 1:
        return pal.OUTLINE
    if depth <= 3:
        return pal.HEDGE_DEEP
    if depth == HEDGE_FACE:
        return pal.HEDGE_LIGHT
    stripe = (x * 7 + depth // 3 * 3) % 5
    if stripe == 0:
        return pal.HEDGE_DEEP
    if stripe == 3 and depth > 6:
        return pal.HEDGE
    return pal.HEDGE_DARK


def chasm_face_colour(x, depth):
    """Colour of the far cliff wall seen inside a pit; depth counts down from the ground's lip."""
    if depth <= 1:
        return pal.OUTLINE
    if depth <= 3:
        return pal.EARTH if x % 5 else pal.GRASS_DARK
    crack = (x * 5 + 3) % 11 == 0
    if depth <= 9:
        return pal.CLIFF if crack else pal.CLIFF_LIGHT
    if depth <= 14:
        return pal.CLIFF_DARK if crack else pal.CLIFF
    if depth <= CHASM_FACE:
        return pal.CLIFF_DARK if noise.bayer((CHASM_FACE + 1 - depth) / 7.0, x, depth) else pal.VOID
    return None


def path_tile(mask):
    fields = shapes.Fields(mask, bias=3, rounding=3, wobble_amount=2.5, wobble_seed=71)
    grass_image, dirt = grass_base(), dirt_base()
    image = grass_image.copy()
    for y in range(TILE):
        for x in range(TILE):
            if fields.inside[y, x]:
                image[y, x] = pal.DIRT_DARK if fields.edge_out[y, x] <= 1.0 else dirt[y, x]
            elif fields.edge_in[y, x] <= 1.0:
                image[y, x] = pal.GRASS_LIGHT
    return image


def flagstone_tile(mask):
    fields = shapes.Fields(mask, bias=1, rounding=2, wobble_amount=0, wobble_seed=72)
    grass_image, stone = grass_base(), flagstone_base()
    image = grass_image.copy()
    for y in range(TILE):
        for x in range(TILE):
            if fields.inside[y, x]:
                if fields.edge_out[y, x] <= 1.0:
                    image[y, x] = pal.STONE_DEEP
                elif fields.edge_out[y, x] <= 2.0:
                    image[y, x] = pal.STONE_DARK
                else:
                    image[y, x] = stone[y, x]
            elif fields.edge_in[y, x] <= 1.0:
                image[y, x] = pal.GRASS_DARK
    return image


def water_tile(mask, variant):
    fields = shapes.Fields(mask, bias=3, rounding=4, wobble_amount=2.5, wobble_seed=73)
    grass_image, water = grass_base(), water_base(variant)
    image = grass_image.copy()
    for y in range(TILE):
        for x in range(TILE):
            if fields.inside[y, x]:
                edge = fields.edge_out[y, x]
                if edge <= 1.0:
                    image[y, x] = pal.FOAM
                elif edge <= 2.5 and noise.bayer(0.5, x, y + variant * TILE):
                    image[y, x] = pal.WATER_SHINE
                else:
                    image[y, x] = water[y, x]
            else:
                edge = fields.edge_in[y, x]
                if edge <= 1.5:
                    image[y, x] = pal.DIRT_DARK
                elif edge <= 3.0:
                    image[y, x] = pal.DIRT
    return image


def chasm_tile(mask):
    fields = shapes.Fields(mask, bias=5, rounding=3, wobble_amount=1.0, wobble_seed=74)
    grass_image, void = grass_base(), void_base()
    image = grass_image.copy()
    for y in range(TILE):
        for x in range(TILE):
            if fields.inside[y, x]:
                face = chasm_face_colour(x, fields.up[y, x])
                if face is not None:
                    image[y, x] = face
                elif fields.down[y, x] <= 1:
                    image[y, x] = pal.OUTLINE
                elif fields.edge_out[y, x] <= 2.0:
                    image[y, x] = pal.CLIFF_DARK
                else:
                    image[y, x] = void[y, x]
            else:
                edge = fields.edge_in[y, x]
                if edge <= 1.0:
                    image[y, x] = pal.OUTLINE
                elif edge <= 5.0:
                    # Painted warning stripes along every drop, continuous across tiles.
                    image[y, x] = pal.WARN_YELLOW if ((x + y) // 4) % 2 == 0 else pal.WARN_DARK
    return image


def hedge_tile(mask, variant):
    fields = shapes.Fields(mask, bias=2, rounding=4, wobble_amount=2.5, wobble_seed=75)
    grass_image, top = grass_base(), hedge_top_base(variant)
    image = grass_image.copy()
    for y in range(TILE):
        for x in range(TILE):
            if fields.inside[y, x]:
                depth = fields.down[y, x]
                if depth <= HEDGE_FACE:
                    image[y, x] = hedge_face_colour(x, depth)
                elif fields.edge_out[y, x] <= 1.0:
                    image[y, x] = pal.OUTLINE
                elif fields.edge_out[y, x] <= 2.0:
                    image[y, x] = pal.HEDGE_DEEP
                else:
                    image[y, x] = top[y, x]
            elif fields.edge_in[y, x] <= 1.0:
                image[y, x] = pal.GRASS_DARK
    return image


def _hash(x, y, seed):
    value = np.sin(x * 12.9898 + y * 78.233 + seed * 37.719) * 43758.5453
    return value - np.floor(value)


def waterfall_tile(mask, depth, side):
    """Water pouring over a pit's lip; depth is 1 right under the river, more further down.

    side is "left", "middle" or "right": edge columns of the fall narrow a little and get a rim.
    """
    image = chasm_tile(mask)
    left = 3 if side == "left" else 0
    right = TILE - 3 if side == "right" else TILE
    streak = np.random.default_rng(81).integers(0, 4, size=TILE)
    colours = (pal.WATER, pal.WATER_LIGHT, pal.WATER_SHINE, pal.FOAM)
    for y in range(TILE):
        for x in range(left, right):
            fall = depth - 1 + y / TILE   # 0 at the lip, growing as the water falls
            water_colour = colours[(streak[x] + y // 6) % 4] if streak[x] != 0 else pal.WATER_LIGHT
            roll = _hash(x, y + depth * TILE, 5)
            if fall < 0.1:
                colour = pal.FOAM if y < 2 else pal.WATER_SHINE
            elif fall < 1.0:
                colour = water_colour
            elif fall < 2.0:
                # The stream breaks up into spray.
                keep = 1.0 - (fall - 1.0) * 0.9
                if roll < keep * 0.75:
                    colour = water_colour
                elif roll < keep:
                    colour = pal.FOAM
                else:
                    colour = pal.WATER_SHINE if roll > 0.93 else None
            else:
                mist = max(0.0, 0.45 * (3.0 - fall))
                colour = (pal.FOAM if roll > 0.5 else pal.WATER_SHINE) if _hash(x // 2, y // 2 + depth * 16, 9) < mist else None
            if colour is not None:
                image[y, x] = colour
        if side != "middle" and depth == 1:
            edge_x = left if side == "left" else right - 1
            image[y, edge_x] = pal.WATER_DEEP
    return image


def add_to(tileset, extra_waterfalls=()):
    for variant in range(GRASS_VARIANTS):
        tileset.add(("grass", variant), grass(variant))
    for mask in shapes.BLOB_MASKS:
        tileset.add(("path", mask), path_tile(mask))
    for mask in shapes.BLOB_MASKS:
        tileset.add(("flagstone", mask), flagstone_tile(mask))
    for variant in (0, 1):
        for mask in shapes.BLOB_MASKS:
            tileset.add(("water", mask, variant), water_tile(mask, variant))
    for mask in shapes.BLOB_MASKS:
        tileset.add(("chasm", mask), chasm_tile(mask))
    for variant in range(HEDGE_VARIANTS):
        for mask in shapes.BLOB_MASKS:
            tileset.add(("hedge", mask, variant), hedge_tile(mask, variant))
    for mask, depth, side in extra_waterfalls:
        tileset.add(("waterfall", mask, depth, side), waterfall_tile(mask, depth, side))


# Cached textures are handed out as copies so callers may paint on them.
def grass_base():
    return _grass_base().copy()


def dirt_base():
    return _dirt_base().copy()


def flagstone_base():
    return _flagstone_base().copy()


def void_base():
    return _void_base().copy()


def hedge_top_base(variant=0):
    return _hedge_top_base(variant).copy()


def water_base(variant):
    return _water_base(variant).copy()
