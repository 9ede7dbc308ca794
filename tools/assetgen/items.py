"""Item and health pictures: the rock, the bomb sheet (idle fuse and explosion) and the hearts.

The rock and the hearts are colour-keyed by the game (pure black turns transparent), so they are
stored without alpha on a pure black ground and never use pure black inside. The bomb sheet keeps
real alpha.
"""
import math

import numpy as np

from . import palette as pal
from . import pixels

ITEM_FRAME = 32
BOMB_IDLE_FRAMES = 4
BOMB_BLAST_FRAMES = 8
HEART_SIZE = 16

_HEART = [
    "................",
    "................",
    "...lll....rrr...",
    "..lwwll..rrrrr..",
    ".lwwllrrrrrrrrr.",
    ".lwllrrrrrrrrrr.",
    ".llrrrrrrrrrrRr.",
    "..rrrrrrrrrrRR..",
    "...rrrrrrrrRR...",
    "....rrrrrrRR....",
    ".....rrrrRR.....",
    "......rrRR......",
    ".......RR.......",
    "................",
    "................",
    "................",
]


def _on_black(image):
    """Flattens an RGBA picture onto pure black for colour-keyed loading."""
    rgb = image[:, :, :3].copy()
    rgb[image[:, :, 3] == 0] = 0
    return rgb


def build_heart(full):
    legend = {"r": pal.RED, "R": pal.RED_DARK, "l": pal.RED_LIGHT, "w": pal.RED_SHINE}
    if not full:
        legend = {"r": pal.SHADOW, "R": pal.SHADOW, "l": pal.DUSK, "w": pal.DUSK}
    heart = pixels.from_rows(_HEART, legend)
    # Lift the whole heart so the outline fits the 16x16 picture evenly.
    heart = np.roll(heart, 0, axis=0)
    return _on_black(pixels.outline(heart))


def _shade_ball(image, cx, cy, radius, tones, light=(-0.55, -0.65), squash=1.0, wobble=None):
    """Fills a ball shaded by a light from the top left, quantised to the given tones (dark..light)."""
    height, width = image.shape[:2]
    lx, ly = light
    lz = math.sqrt(max(0.0, 1 - lx * lx - ly * ly))
    for y in range(height):
        for x in range(width):
            dx = (x + 0.5 - cx) / radius
            dy = (y + 0.5 - cy) / (radius * squash)
            limit = 1.0 if wobble is None else wobble(math.atan2(dy, dx))
            d2 = dx * dx + dy * dy
            if d2 > limit * limit:
                continue
            dz = math.sqrt(max(0.0, limit * limit - d2))
            light_level = (dx * lx + dy * ly + dz * lz) / max(limit, 1e-6)
            level = int(np.clip((light_level + 0.15) / 1.15 * len(tones), 0, len(tones) - 1))
            image[y, x] = pixels.rgba(tones[level])


def build_rock():
    image = pixels.canvas(ITEM_FRAME, ITEM_FRAME)

    def lumpy(angle):
        return 0.92 + 0.06 * math.sin(3 * angle + 0.7) + 0.04 * math.sin(5 * angle + 2.1)

    tones = [pal.STONE_DEEP, pal.STONE_DARK, pal.STONE, pal.STONE_LIGHT, pal.STONE_SHINE]
    _shade_ball(image, 16, 16.5, 14.5, tones, squash=0.92, wobble=lumpy)
    # A crack and a few flecks give it the look of a thrown field stone.
    for x, y in ((18, 9), (19, 10), (19, 11), (20, 12), (21, 12), (22, 13), (10, 19), (11, 20), (12, 20)):
        pixels.put(image, x, y, pal.STONE_DEEP)
    for x, y in ((11, 11), (22, 20), (15, 23), (8, 15)):
        pixels.put(image, x, y, pal.STONE_DARK)
    for x, y in ((9, 9), (10, 8), (12, 7)):
        pixels.put(image, x, y, pal.WHITE)
    for x, y in ((8, 21), (9, 22), (10, 23), (12, 24)):
        pixels.put(image, x, y, pal.MOSS)
    return _on_black(pixels.outline(image))


def _bomb_body(fuse_frame):
    image = pixels.canvas(ITEM_FRAME, ITEM_FRAME)
    tones = [pal.OUTLINE, pal.SHADOW, pal.DUSK, pal.STONE_DARK, pal.STONE]
    _shade_ball(image, 15.5, 18.5, 10.5, tones)
    for x, y in ((11, 13), (12, 12), (11, 14), (13, 12)):
        pixels.put(image, x, y, pal.STONE_SHINE)
    # Brass cap and a red band so a bomb never reads as a rock.
    pixels.fill_rect(image, 14, 7, 5, 3, pal.GOLD)
    pixels.fill_rect(image, 14, 7, 2, 1, pal.GOLD_LIGHT)
    pixels.fill_rect(image, 17, 9, 2, 1, pal.GOLD_DARK)
    for x in range(6, 26):
        for y in range(19, 21):
            if image[y, x, 3] > 0:
                image[y, x] = pixels.rgba(pal.RED if y == 19 else pal.RED_DARK)
    image = pixels.outline(image)
    fuse = [(17, 6), (18, 5), (19, 4), (20, 4), (21, 3), (22, 3)]
    burnt = fuse_frame % 2
    for index, (x, y) in enumerate(fuse[:len(fuse) - burnt]):
        pixels.put(image, x, y, pal.PAPER if index % 2 == 0 else pal.WOOD_LIGHT)
    tip_x, tip_y = fuse[len(fuse) - 1 - burnt]
    _spark(image, tip_x + 1, tip_y - 1, fuse_frame)
    return image


def _spark(image, x, y, frame):
    rays = [
        [(0, -2), (2, 0), (0, 2), (-2, 0)],
        [(1, -1), (1, 1), (-1, 1), (-1, -1), (0, -3), (3, 0)],
        [(0, -2), (2, 0), (0, 2), (-2, 0), (2, -2), (-2, -2)],
        [(1, -1), (1, 1), (-1, 1), (-1, -1), (3, -1), (-1, -3)],
    ][frame]
    for dx, dy in rays:
        pixels.put(image, x + dx, y + dy, pal.FIRE if abs(dx) + abs(dy) > 2 else pal.FIRE_LIGHT)
    pixels.put(image, x, y, pal.FIRE_WHITE)
    for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)):
        pixels.put(image, x + dx, y + dy, pal.FIRE_LIGHT if frame % 2 else pal.FIRE_WHITE)


def _hash_noise(x, y, seed):
    value = math.sin(x * 12.9898 + y * 78.233 + seed * 37.719) * 43758.5453
    return value - math.floor(value)


def _blast_frame(index):
    """One explosion frame: a flash, a growing fireball, then a ring of smoke that thins out."""
    image = pixels.canvas(ITEM_FRAME, ITEM_FRAME)
    t = index / (BOMB_BLAST_FRAMES - 1)
    centre = 15.5
    outer = 6 + 9.5 * min(1.0, t * 2.3)
    hole = max(0.0, (t - 0.45) * 22)
    fire = [pal.FIRE_WHITE, pal.FIRE_LIGHT, pal.FIRE, pal.FIRE_DARK]
    smoke = [pal.SMOKE_LIGHT, pal.SMOKE, pal.SMOKE_DARK]
    for y in range(ITEM_FRAME):
        for x in range(ITEM_FRAME):
            dx, dy = x + 0.5 - centre, y + 0.5 - centre
            distance = math.hypot(dx, dy)
            angle = math.atan2(dy, dx)
            edge = outer * (0.86 + 0.14 * math.sin(angle * 7 + index * 1.7)) + (_hash_noise(x, y, index) - 0.5) * 2.2
            if distance > edge or distance < hole - (_hash_noise(y, x, index) - 0.5) * 3:
                continue
            depth = distance / max(edge, 1e-6)
            heat = (1.0 - depth) * (1.0 - t * 1.05) + (_hash_noise(x * 3, y * 5, index) - 0.5) * 0.25
            if t < 0.7 and heat > 0.12 * t:
                level = 0 if heat > 0.55 else 1 if heat > 0.32 else 2 if heat > 0.15 else 3
                colour = fire[level]
            else:
                shade = depth + (_hash_noise(x, y * 7, index) - 0.5) * 0.5
                colour = smoke[0] if shade < 0.55 else smoke[1] if shade < 0.85 else smoke[2]
                if t > 0.8 and _hash_noise(x * 11, y * 13, index) < (t - 0.8) * 4:
                    continue
            image[y, x] = pixels.rgba(colour)
    if index == 0:
        for i in range(-7, 8):
            pixels.put(image, 15 + i, 15, pal.FIRE_WHITE)
            pixels.put(image, 15, 15 + i, pal.FIRE_WHITE)
    if index <= 3:
        for k in range(8):
            angle = k * math.pi / 4 + 0.3
            reach = outer + 2 + index * 1.5
            pixels.put(image, int(centre + math.cos(angle) * reach), int(centre + math.sin(angle) * reach),
                       pal.FIRE_LIGHT if index < 2 else pal.FIRE)
    return image


def build_bomb_sheet():
    sheet = pixels.canvas(ITEM_FRAME * BOMB_BLAST_FRAMES, ITEM_FRAME * 2)
    for index in range(BOMB_IDLE_FRAMES):
        pixels.paste(sheet, _bomb_body(index), index * ITEM_FRAME, 0)
    for index in range(BOMB_BLAST_FRAMES):
        pixels.paste(sheet, _blast_frame(index), index * ITEM_FRAME, ITEM_FRAME)
    return sheet


def build(assets_dir):
    pixels.save_png(build_rock(), "%s/Items/rock.png" % assets_dir)
    pixels.save_png(build_bomb_sheet(), "%s/Items/bomb.png" % assets_dir)
    pixels.save_png(build_heart(True), "%s/Health/heart.png" % assets_dir)
    pixels.save_png(build_heart(False), "%s/Health/background.png" % assets_dir)
