"""Seamless (periodic) noise fields for tile textures: a tile's left edge matches its right edge."""
import numpy as np


def periodic(width, height, cells, seed, octaves=1):
    """Smooth value noise in [0, 1) that wraps around in both directions."""
    rng = np.random.default_rng(seed)
    total = np.zeros((height, width))
    amplitude, weight = 1.0, 0.0
    for octave in range(octaves):
        count = cells * (2 ** octave)
        lattice = rng.random((count, count))
        total += amplitude * _interpolate(lattice, width, height)
        weight += amplitude
        amplitude *= 0.5
    return total / weight


def _interpolate(lattice, width, height):
    count = lattice.shape[0]
    ys = (np.arange(height) + 0.5) * count / height
    xs = (np.arange(width) + 0.5) * count / width
    y0 = np.floor(ys).astype(int)
    x0 = np.floor(xs).astype(int)
    fy = _smooth(ys - y0)[:, None]
    fx = _smooth(xs - x0)[None, :]
    y1 = (y0 + 1) % count
    x1 = (x0 + 1) % count
    y0 %= count
    x0 %= count
    a = lattice[np.ix_(y0, x0)]
    b = lattice[np.ix_(y0, x1)]
    c = lattice[np.ix_(y1, x0)]
    d = lattice[np.ix_(y1, x1)]
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy


def _smooth(t):
    return t * t * (3 - 2 * t)


def scatter(width, height, count, seed, margin=0):
    """Deterministic random points inside a tile."""
    rng = np.random.default_rng(seed)
    xs = rng.integers(margin, width - margin, size=count)
    ys = rng.integers(margin, height - margin, size=count)
    return list(zip(xs.tolist(), ys.tolist()))


def bayer(value, x, y):
    """Ordered dither: True where a pixel of the given coverage (0..1) should be set."""
    matrix = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))
    return value * 16 > matrix[y % 4][x % 4] + 0.5
