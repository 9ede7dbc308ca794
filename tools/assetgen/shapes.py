"""Geometry for auto-tiled terrain: neighbour masks and distance fields around a tile's edges."""
import numpy as np

from . import noise
from .tileset import TILE

N, NE, E, SE, S, SW, W, NW = (1, 2, 4, 8, 16, 32, 64, 128)
OFFSETS = {N: (0, -1), NE: (1, -1), E: (1, 0), SE: (1, 1), S: (0, 1), SW: (-1, 1), W: (-1, 0), NW: (-1, -1)}


def canonical(mask):
    """Drops corner bits that cannot change the picture (a corner only matters between two same edges)."""
    for corner, first, second in ((NE, N, E), (SE, S, E), (SW, S, W), (NW, N, W)):
        if mask & corner and not (mask & first and mask & second):
            mask &= ~corner
    return mask


BLOB_MASKS = sorted({canonical(mask) for mask in range(256)})


def mask_at(same, x, y):
    """Canonical 8-neighbour mask of cell (x, y); same(x, y) tells whether a cell belongs with it."""
    mask = 0
    for bit, (dx, dy) in OFFSETS.items():
        if same(x + dx, y + dy):
            mask |= bit
    return canonical(mask)


def near_distance(target, radius):
    """Distance from every pixel to the nearest True pixel of target, capped at radius + 1."""
    height, width = target.shape
    result = np.full(target.shape, radius + 1.0)
    padded = np.zeros((height + 2 * radius, width + 2 * radius), dtype=bool)
    padded[radius:radius + height, radius:radius + width] = target
    for dy in range(-radius, radius + 1):
        for dx in range(-radius, radius + 1):
            distance = (dx * dx + dy * dy) ** 0.5
            if distance > radius:
                continue
            window = padded[radius + dy:radius + dy + height, radius + dx:radius + dx + width]
            np.minimum(result, np.where(window, distance, radius + 1.0), out=result)
    return result


class Fields:
    """Per-pixel facts about one tile of a terrain whose edges are shaped by its neighbours."""

    def __init__(self, mask, bias, rounding, wobble_amount, wobble_seed, map_edges_same=True):
        size = 3 * TILE
        other = np.ones((3, 3), dtype=bool)
        other[1, 1] = False
        for bit, (dx, dy) in OFFSETS.items():
            if mask & bit:
                other[1 + dy, 1 + dx] = False
        other_pixels = np.repeat(np.repeat(other, TILE, axis=0), TILE, axis=1)
        wobble = np.tile(noise.periodic(TILE, TILE, 4, wobble_seed, octaves=2), (3, 3)) - 0.5
        reach = int(bias + rounding + wobble_amount) + 3
        distance_to_other = near_distance(other_pixels, reach)
        core = distance_to_other > bias + rounding + wobble * 2 * wobble_amount
        if rounding > 0:
            inside = near_distance(core, int(rounding) + 1) <= rounding
        else:
            inside = core
        inside &= ~other_pixels
        self.inside_full = inside
        centre = slice(TILE, 2 * TILE)
        self.inside = inside[centre, centre]
        self.edge_out = near_distance(~inside, 6)[centre, centre]   # inside pixels: distance to outside
        self.edge_in = near_distance(inside, 6)[centre, centre]     # outside pixels: distance to inside
        self.up = _run_length(inside, upwards=True)[centre, centre]
        self.down = _run_length(inside, upwards=False)[centre, centre]


def _run_length(inside, upwards, limit=40):
    """How many pixels one can go up (or down) from each inside pixel before leaving the region."""
    result = np.full(inside.shape, limit + 1, dtype=int)
    height = inside.shape[0]
    for step in range(limit, 0, -1):
        shifted = np.zeros_like(inside)
        if upwards:
            shifted[step:] = ~inside[:height - step]
        else:
            shifted[:height - step] = ~inside[step:]
        result[shifted] = step
    result[~inside] = 0
    return result
