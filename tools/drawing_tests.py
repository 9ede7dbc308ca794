#!/usr/bin/python3
"""Writes the test maps of tileset and layer features (tests/data/drawing) and their editor renders.

Each map has a small generated tileset and is drawn by the Tiled editor's own rasteriser,
tmxrasterizer, into <map>-editor.png; the tests draw the map through the game's camera and compare.
The renders are committed, so the tests need no editor and give the same answer on every release.
Run with Debian's interpreter (python3-pil) after changing a map; `tools/setup.sh assets` installs
tmxrasterizer (package tiled). The renders in the tree were made with Tiled 1.8.2.
"""

import json
import os
import shutil
import subprocess
import sys

from PIL import Image, ImageDraw

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "drawing")
TILE = 32
COLUMNS = 20
ROWS = 24  # 768 pixels: the camera shows the whole height unscaled in the 1376 x 768 test window
MAGENTA = (255, 0, 255)


def checker_tile(colour_a, colour_b, square):
    """A checkerboard: any cut one pixel off changes a good part of the tile."""
    tile = Image.new("RGB", (TILE, TILE), colour_a)
    draw = ImageDraw.Draw(tile)
    for y in range(0, TILE, square):
        for x in range(0, TILE, square):
            if (x // square + y // square) % 2:
                draw.rectangle([x, y, x + square - 1, y + square - 1], fill=colour_b)
    return tile


def sheet(tiles, columns, margin, spacing, gap_colour):
    rows = (len(tiles) + columns - 1) // columns
    width = 2 * margin + columns * TILE + (columns - 1) * spacing
    height = 2 * margin + rows * TILE + (rows - 1) * spacing
    image = Image.new("RGB", (width, height), gap_colour)
    for index, tile in enumerate(tiles):
        x = margin + (index % columns) * (TILE + spacing)
        y = margin + (index // columns) * (TILE + spacing)
        image.paste(tile, (x, y))
    return image


def tileset(name, image, tile_count, columns, **extra):
    result = {"firstgid": 1, "name": name, "image": image, "imagewidth": 0, "imageheight": 0,
              "tilecount": tile_count, "columns": columns, "tilewidth": TILE, "tileheight": TILE,
              "margin": 0, "spacing": 0}
    result.update(extra)
    return result


def tile_layer(layer_id, name, data, **extra):
    layer = {"id": layer_id, "type": "tilelayer", "name": name, "width": COLUMNS, "height": ROWS,
             "x": 0, "y": 0, "opacity": 1, "visible": True, "data": data}
    layer.update(extra)
    return layer


def write_map(name, tilesets, layers):
    document = {"type": "map", "version": "1.8", "tiledversion": "1.8.2", "orientation": "orthogonal",
                "renderorder": "right-down", "infinite": False, "width": COLUMNS, "height": ROWS,
                "tilewidth": TILE, "tileheight": TILE, "nextlayerid": len(layers) + 1, "nextobjectid": 1,
                "tilesets": tilesets, "layers": layers}
    with open(os.path.join(OUT, name + ".tmj"), "w") as handle:
        json.dump(document, handle, indent=1)
        handle.write("\n")


def spacing_map():
    """Margin 1 and spacing 1, as Tiled's own desert tileset has them; the gaps are red."""
    colours = [(30, 90, 200), (220, 200, 40), (40, 160, 60), (120, 60, 30),
               (200, 80, 160), (90, 200, 210), (240, 240, 240), (60, 60, 60)]
    tiles = [checker_tile(colour, tuple(c // 3 for c in colour), 2 + index % 3) for index, colour in enumerate(colours)]
    image = sheet(tiles, 4, 1, 1, (255, 0, 0))
    image.save(os.path.join(OUT, "spacing-tiles.png"))
    data = [1 + (x * 3 + y * 5) % 8 for y in range(ROWS) for x in range(COLUMNS)]
    sets = [tileset("spacing", "spacing-tiles.png", 8, 4, margin=1, spacing=1,
                    imagewidth=image.width, imageheight=image.height)]
    write_map("spacing", sets, [tile_layer(1, "Background", data)])


def transparency_map():
    """A transparent colour (magenta) in the tiles, and a layer at half opacity over another."""
    ground = checker_tile((70, 140, 60), (40, 100, 40), 4)
    stone = checker_tile((150, 150, 160), (90, 90, 100), 8)
    ring = Image.new("RGB", (TILE, TILE), MAGENTA)
    ImageDraw.Draw(ring).ellipse([3, 3, 28, 28], fill=(230, 40, 40), outline=(255, 255, 0), width=3)
    cross = Image.new("RGB", (TILE, TILE), MAGENTA)
    draw = ImageDraw.Draw(cross)
    draw.rectangle([13, 2, 18, 29], fill=(30, 30, 220))
    draw.rectangle([2, 13, 29, 18], fill=(250, 250, 250))
    image = sheet([ground, stone, ring, cross], 4, 0, 0, MAGENTA)
    image.save(os.path.join(OUT, "transparency-tiles.png"))
    background = [(3 if (x + y) % 7 == 0 else 1 + (x // 2 + y // 3) % 2) for y in range(ROWS) for x in range(COLUMNS)]
    top = [(3 + (x + y) % 2 if (x * y) % 3 == 0 else 0) for y in range(ROWS) for x in range(COLUMNS)]
    sets = [tileset("transparency", "transparency-tiles.png", 4, 4, transparentcolor="#ff00ff",
                    imagewidth=image.width, imageheight=image.height)]
    write_map("transparency", sets, [tile_layer(1, "Background", background),
                                     tile_layer(2, "Top", top, opacity=0.5)])


def render(name):
    tool = shutil.which("tmxrasterizer")
    if tool is None:
        sys.exit("drawing_tests: tmxrasterizer not found; install the package tiled")
    output = os.path.join(OUT, name + "-editor.png")
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([tool, os.path.join(OUT, name + ".tmj"), output], env=environment,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    problems = [line for line in result.stdout.splitlines() if "XDG_RUNTIME_DIR" not in line]
    if result.returncode != 0 or problems or not os.path.exists(output):
        sys.exit("drawing_tests: tmxrasterizer failed for %s:\n%s" % (name, "\n".join(problems)))


def main():
    os.makedirs(OUT, exist_ok=True)
    spacing_map()
    transparency_map()
    for name in ("spacing", "transparency"):
        render(name)


if __name__ == "__main__":
    main()
