"""Small helpers for pixel art held as RGBA numpy arrays (rows, columns, 4)."""
import os

import numpy as np
from PIL import Image

from . import palette as pal

TRANSPARENT = (0, 0, 0, 0)


def canvas(width, height, colour=TRANSPARENT):
    image = np.zeros((height, width, 4), dtype=np.uint8)
    image[:, :] = rgba(colour)
    return image


def rgba(colour):
    return tuple(colour) + (255,) if len(colour) == 3 else tuple(colour)


def from_rows(rows, legend):
    """Turns a hand-written pixel table (one string per row) into an RGBA array."""
    width = len(rows[0])
    for row in rows:
        if len(row) != width:
            raise ValueError("ragged pixel table row %r" % row)
    image = canvas(width, len(rows))
    for y, row in enumerate(rows):
        for x, key in enumerate(row):
            if key in (".", " "):
                continue
            image[y, x] = rgba(legend[key])
    return image


def paste(target, source, x, y):
    """Alpha-over paste of a pixel-art sprite (binary alpha is assumed for the source)."""
    height, width = source.shape[:2]
    x0, y0 = max(x, 0), max(y, 0)
    x1, y1 = min(x + width, target.shape[1]), min(y + height, target.shape[0])
    if x0 >= x1 or y0 >= y1:
        return
    patch = source[y0 - y:y1 - y, x0 - x:x1 - x]
    alpha = patch[:, :, 3:4].astype(np.float32) / 255.0
    below = target[y0:y1, x0:x1].astype(np.float32)
    mixed = patch.astype(np.float32) * alpha + below * (1.0 - alpha)
    mixed[:, :, 3] = np.maximum(below[:, :, 3], patch[:, :, 3])
    target[y0:y1, x0:x1] = np.clip(np.rint(mixed), 0, 255).astype(np.uint8)


def outline(image, colour=pal.OUTLINE, diagonal=False):
    """Adds a one-pixel outline around every opaque shape."""
    solid = image[:, :, 3] > 0
    grown = solid.copy()
    shifts = [(0, 1), (0, -1), (1, 0), (-1, 0)]
    if diagonal:
        shifts += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
    for dy, dx in shifts:
        grown |= shift(solid, dy, dx)
    result = image.copy()
    result[grown & ~solid] = rgba(colour)
    return result


def shift(mask, dy, dx):
    """Shifts a 2-D mask without wrapping."""
    result = np.zeros_like(mask)
    height, width = mask.shape
    ys = slice(max(dy, 0), height + min(dy, 0))
    xs = slice(max(dx, 0), width + min(dx, 0))
    ys_src = slice(max(-dy, 0), height + min(-dy, 0))
    xs_src = slice(max(-dx, 0), width + min(-dx, 0))
    result[ys, xs] = mask[ys_src, xs_src]
    return result


def mirror(image):
    return image[:, ::-1].copy()


def scale_up(image, factor):
    return np.repeat(np.repeat(image, factor, axis=0), factor, axis=1)


def save_png(image, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "RGBA" if image.shape[2] == 4 else "RGB"
    Image.fromarray(image, mode).save(path, optimize=True)


def fill_rect(image, x, y, width, height, colour):
    image[max(y, 0):max(y + height, 0), max(x, 0):max(x + width, 0)] = rgba(colour)


def put(image, x, y, colour):
    if 0 <= y < image.shape[0] and 0 <= x < image.shape[1]:
        image[y, x] = rgba(colour)


def recolour(image, mapping):
    """Swaps exact colours, e.g. one player's palette for the other's."""
    result = image.copy()
    for old, new in mapping.items():
        match = np.all(image[:, :, :3] == np.array(old, dtype=np.uint8), axis=2) & (image[:, :, 3] > 0)
        result[match, :3] = new
    return result
