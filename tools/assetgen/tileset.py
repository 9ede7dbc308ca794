"""A tileset under construction: named 32x32 tiles, identical pictures stored once."""
import numpy as np

from . import pixels

TILE = 32


class Tileset:
    def __init__(self, name, image_path, columns, with_alpha):
        self.name = name
        self.image_path = image_path
        self.columns = columns
        self.with_alpha = with_alpha
        self.tiles = []
        self.keys = {}

    def add(self, key, tile):
        if key in self.keys:
            raise ValueError("tile %r added twice to %s" % (key, self.name))
        if tile.shape[:2] != (TILE, TILE):
            raise ValueError("tile %r is %s, not 32x32" % (key, tile.shape))
        tile = tile if self.with_alpha else tile[:, :, :3]
        for index, existing in enumerate(self.tiles):
            if np.array_equal(existing, tile):
                self.keys[key] = index
                return index
        self.tiles.append(tile)
        self.keys[key] = len(self.tiles) - 1
        return self.keys[key]

    def add_picture(self, key, picture):
        """Cuts a larger picture into tiles named (key, column, row)."""
        rows, cols = picture.shape[0] // TILE, picture.shape[1] // TILE
        for row in range(rows):
            for col in range(cols):
                self.add((key, col, row), picture[row * TILE:(row + 1) * TILE, col * TILE:(col + 1) * TILE])

    def index(self, key):
        return self.keys[key]

    def __contains__(self, key):
        return key in self.keys

    @property
    def rows(self):
        return (len(self.tiles) + self.columns - 1) // self.columns

    def image(self):
        channels = 4 if self.with_alpha else 3
        sheet = np.zeros((self.rows * TILE, self.columns * TILE, channels), dtype=np.uint8)
        for index, tile in enumerate(self.tiles):
            row, col = divmod(index, self.columns)
            sheet[row * TILE:(row + 1) * TILE, col * TILE:(col + 1) * TILE] = tile
        return sheet

    def save(self, assets_dir):
        pixels.save_png(self.image(), "%s/%s" % (assets_dir, self.image_path))
