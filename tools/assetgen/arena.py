"""The arena map "game.tmj": a bramble-walled garden plateau split by a river that drops into the abyss.

The left half is laid out by hand below and mirrored onto the right half, so both players get the
same routes and the same dangers. From the layout the builder derives the two tile layers, every
wall ("Collider"), every drop ("Trigger" Killzone), the river, the players and the item spawners.
"""
import json

import numpy as np

from . import props
from . import shapes
from . import terrain
from .tileset import TILE, Tileset

WIDTH, HEIGHT = 43, 24
MAP_WIDTH_PX, MAP_HEIGHT_PX = WIDTH * TILE, HEIGHT * TILE
CENTRE_COLUMN = WIDTH // 2

# How far a drop's deadly area stays inside the pit's edge, so a player falls only once its box
# is clearly over the abyss, and how far the open map edges reach beyond the map.
KILLZONE_INSET = 12
OFF_MAP = 320

PLAYER_BOX = (30, 36)
PLAYER_STARTS = ((208, 368), (MAP_WIDTH_PX - 208, 368))
SPAWNERS = ((464, 72), (MAP_WIDTH_PX - 464, 72))
# Where the game draws each player's hearts (indicator position + one heart step, 3 hearts of 40 px).
HEART_ROWS = ((240, 50, 120, 40), (1040, 50, 120, 40))

GRASS, PATH, FLAG, WATER, CHASM, HEDGE = "grass", "path", "flagstone", "water", "chasm", "hedge"
WALKABLE = (GRASS, PATH, FLAG, WATER)


class Layout:
    def __init__(self):
        self.ground = [[GRASS] * WIDTH for _ in range(HEIGHT)]
        self.top = [[None] * WIDTH for _ in range(HEIGHT)]
        self.fence = np.zeros((HEIGHT, WIDTH), dtype=bool)
        self.bridge = np.zeros((HEIGHT, WIDTH), dtype=bool)
        self.solid_props = {}

    def paint(self, kind, x0, y0, width, height):
        for y in range(y0, y0 + height):
            for x in range(x0, x0 + width):
                self.ground[y][x] = kind

    def put(self, x, y, key, solid=None):
        self.top[y][x] = key
        if solid:
            self.solid_props[(x, y)] = solid

    def put_picture(self, name, x0, y0, columns, rows):
        for row in range(rows):
            for col in range(columns):
                self.top[y0 + row][x0 + col] = (name, col, row)

    def ground_at(self, x, y):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            return self.ground[y][x]
        return None

    def mirror_left_half(self):
        for y in range(HEIGHT):
            for x in range(CENTRE_COLUMN):
                mirrored = WIDTH - 1 - x
                self.ground[y][mirrored] = self.ground[y][x]
                key = self.top[y][x]
                if key is not None and key[0] == "emblem":
                    key = ("emblem", 1 - key[1])
                if key is not None and key[0] == "plank_bridge":
                    key = (key[0], 1 - key[1], key[2])
                self.top[y][mirrored] = key
                self.fence[y, mirrored] = self.fence[y, x]
                self.bridge[y, mirrored] = self.bridge[y, x]
                if (x, y) in self.solid_props:
                    self.solid_props[(mirrored, y)] = self.solid_props[(x, y)]


def design():
    """The hand-made left half plus the shared middle."""
    layout = Layout()
    # Abyss along both sides and the bottom; the bottom edge is ragged.
    layout.paint(CHASM, 0, 0, 2, HEIGHT)
    layout.paint(CHASM, 0, 20, CENTRE_COLUMN + 1, 4)
    layout.paint(CHASM, 2, 19, 3, 1)
    layout.paint(CHASM, 2, 18, 1, 1)
    layout.paint(CHASM, 15, 19, 3, 1)
    # The bramble hedge closes the top.
    layout.paint(HEDGE, 2, 0, CENTRE_COLUMN - 1, 3)
    # The river runs down the middle from under the hedge into the abyss.
    layout.paint(WATER, 20, 3, 2, 17)
    # Paths from the start plaza to the bridge, towards the item lane and down to the rope bridge.
    layout.paint(PATH, 8, 10, 12, 2)
    layout.paint(PATH, 6, 4, 1, 6)
    layout.paint(PATH, 7, 4, 8, 1)
    layout.paint(PATH, 6, 13, 1, 4)
    layout.paint(PATH, 7, 16, 1, 1)
    layout.paint(PATH, 8, 17, 6, 1)
    layout.paint(PATH, 14, 12, 2, 1)
    layout.paint(PATH, 16, 12, 1, 1)
    # The start plaza.
    layout.paint(FLAG, 5, 10, 3, 3)
    layout.put(6, 11, ("emblem", 0))
    # A pit in the lane where the items drift down, crossed by a rope bridge.
    layout.paint(CHASM, 11, 14, 7, 3)
    layout.put_picture("plank_bridge", 14, 13, 2, 5)
    layout.bridge[14:17, 14:16] = True
    # Fences: along the canal, and guarding parts of the side abyss and the bottom edge.
    for y in range(3, 10):
        layout.fence[y, 19] = True
    for y in range(7, 15):
        layout.fence[y, 2] = True
    for x in range(6, 12):
        layout.fence[19, x] = True
    # Cover: bushes and broken pillars (solid), and a warning sign at the pit.
    for x, y, variant in ((4, 5, 0), (9, 7, 1), (17, 8, 2), (4, 16, 1), (10, 18, 0), (18, 17, 0)):
        layout.put(x, y, ("bush", variant), solid="bush")
    for x, y in ((12, 7), (17, 13), (10, 12)):
        layout.put(x, y, ("pillar",), solid="pillar")
    layout.put(10, 13, ("sign",))
    layout.put(18, 18, ("sign",))
    # The item chutes in the hedge.
    layout.put_picture("chute", 14, 1, 1, 2)
    _decorate(layout)
    layout.mirror_left_half()
    # Shared middle and the parts that differ between the two halves.
    layout.put_picture("culvert", CENTRE_COLUMN - 1, 1, 3, 2)
    layout.put_picture("river_bridge", CENTRE_COLUMN - 2, 10, 5, 2)
    layout.put_picture("plaque0", 7, 1, 5, 2)
    layout.put_picture("plaque1", 32, 1, 5, 2)
    for x in range(WIDTH):
        if layout.ground[3][x] in WALKABLE and layout.ground[3][x] != WATER and layout.top[3][x] is None \
                and not layout.fence[3, x]:
            layout.top[3][x] = ("shadow_north",)
    return layout


def _decorate(layout):
    """Scatters flowers, pebbles and tufts over the open grass of the left half."""
    rng = np.random.default_rng(2024)
    choices = [("flowers", 0), ("flowers", 1), ("flowers", 2), ("flowers", 3), ("tuft", 0), ("tuft", 1),
               ("pebbles", 0), ("pebbles", 1), ("mushrooms",)]
    for y in range(4, 20):
        for x in range(2, CENTRE_COLUMN):
            roll = rng.random()
            pick = int(rng.integers(0, len(choices)))
            if layout.ground[y][x] != GRASS or layout.top[y][x] is not None or layout.fence[y, x]:
                continue
            if _near_start(x, y):
                continue
            if roll < 0.13:
                layout.top[y][x] = choices[pick]


def _near_start(x, y):
    px, py = PLAYER_STARTS[0]
    return abs(x * TILE + 16 - px) < 64 and abs(y * TILE + 16 - py) < 64


# ---------------------------------------------------------------------------------------------
# Tile layers

def _same(layout, x, y, kinds):
    kind = layout.ground_at(x, y)
    return kind is None or kind in kinds


def _family_kinds(kind):
    return {WATER: (WATER, CHASM, HEDGE)}.get(kind, (kind,))


def waterfall_cells(layout):
    """Chasm cells the river pours into: (x, y) -> (depth below the lip, side of the fall)."""
    cells = {}
    for x in range(WIDTH):
        for y in range(1, HEIGHT):
            if layout.ground[y][x] == CHASM and layout.ground[y - 1][x] == WATER:
                left = layout.ground[y - 1][x - 1] == WATER
                right = layout.ground[y - 1][x + 1] == WATER
                side = "middle" if left and right else ("left" if not left else "right")
                for depth in (1, 2, 3):
                    if y + depth - 1 < HEIGHT and layout.ground[y + depth - 1][x] == CHASM:
                        cells[(x, y + depth - 1)] = (depth, side)
    return cells


def ground_key(layout, x, y, falls):
    kind = layout.ground[y][x]
    if kind == GRASS:
        return ("grass", _grass_variant(x, y))
    mask = shapes.mask_at(lambda cx, cy: _same(layout, cx, cy, _family_kinds(kind)), x, y)
    if (x, y) in falls:
        depth, side = falls[(x, y)]
        return ("waterfall", mask, depth, side)
    if kind == WATER:
        return ("water", mask, y % 2)
    if kind == HEDGE:
        return ("hedge", mask, x % 2 + 2 * (y % 2))
    return (kind, mask)


def _grass_variant(x, y):
    column = min(x, WIDTH - 1 - x)   # mirrored, like everything else
    value = (column * 7919 + y * 104729 + column * y * 31) % 97
    if value < 55:
        return 0 if value % 2 else 5
    return 1 + value % 7


def build_tilesets(layout):
    falls = waterfall_cells(layout)
    ground = Tileset("arena", "Tiles/arena.png", 16, with_alpha=False)
    extra = sorted({(ground_key(layout, x, y, falls)[1:]) for (x, y) in falls})
    terrain.add_to(ground, extra_waterfalls=extra)
    decor = Tileset("props", "Tiles/props.png", 16, with_alpha=True)
    props.add_to(decor)
    return ground, decor, falls


def fence_key(layout, x, y):
    connections = 0
    for bit, (dx, dy) in ((props.FENCE_N, (0, -1)), (props.FENCE_E, (1, 0)), (props.FENCE_S, (0, 1)),
                          (props.FENCE_W, (-1, 0))):
        nx, ny = x + dx, y + dy
        if 0 <= nx < WIDTH and 0 <= ny < HEIGHT and layout.fence[ny, nx]:
            connections |= bit
    return ("fence", connections)


def tile_layers(layout, ground, decor, falls):
    background, top = [], []
    decor_first = 1 + _slots(ground)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            background.append(1 + ground.index(ground_key(layout, x, y, falls)))
            key = fence_key(layout, x, y) if layout.fence[y, x] else layout.top[y][x]
            top.append(0 if key is None else decor_first + decor.index(key))
    return background, top


def _slots(tileset):
    return tileset.rows * tileset.columns


# ---------------------------------------------------------------------------------------------
# Objects

def _rect(x, y, width, height):
    return [int(x), int(y), int(width), int(height)]


def merge_rects(rects):
    """Joins touching rectangles of equal extent, first along rows, then along columns."""
    rects = sorted(rects, key=lambda r: (r[1], r[3], r[0]))
    merged = []
    for rect in rects:
        last = merged[-1] if merged else None
        if last and last[1] == rect[1] and last[3] == rect[3] and last[0] + last[2] == rect[0]:
            last[2] += rect[2]
        else:
            merged.append(list(rect))
    merged.sort(key=lambda r: (r[0], r[2], r[1]))
    result = []
    for rect in merged:
        last = result[-1] if result else None
        if last and last[0] == rect[0] and last[2] == rect[2] and last[1] + last[3] == rect[1]:
            last[3] += rect[3]
        else:
            result.append(list(rect))
    return sorted(result, key=lambda r: (r[1], r[0]))


def wall_rects(layout):
    walls = {"Hedge": [_rect(2 * TILE, 0, (WIDTH - 4) * TILE, 3 * TILE - 4)]}
    fence = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if not layout.fence[y, x]:
                continue
            _, connections = fence_key(layout, x, y)
            left, top = x * TILE, y * TILE
            vertical = connections & (props.FENCE_N | props.FENCE_S) or not connections & (props.FENCE_E | props.FENCE_W)
            if vertical:
                y0 = 0 if connections & props.FENCE_N else 7
                y1 = TILE if connections & props.FENCE_S else 25
                fence.append(_rect(left + 12, top + y0, 8, y1 - y0))
            if connections & (props.FENCE_E | props.FENCE_W):
                x0 = 0 if connections & props.FENCE_W else 12
                x1 = TILE if connections & props.FENCE_E else 20
                fence.append(_rect(left + x0, top + 9, x1 - x0, 14))
    walls["Fence"] = merge_rects(fence)
    bushes, pillars = [], []
    for (x, y), kind in sorted(layout.solid_props.items(), key=lambda item: (item[0][1], item[0][0])):
        if kind == "bush":
            bushes.append(_rect(x * TILE + 3, y * TILE + 6, 26, 23))
        else:
            pillars.append(_rect(x * TILE + 5, y * TILE + 4, 22, 25))
    walls["Bush"] = bushes
    walls["Pillar"] = pillars
    river_left = (CENTRE_COLUMN - 1) * TILE
    # The canal above the bridge is fenced off, and the bridge has a rail on its downstream side.
    walls["Canal"] = [_rect(river_left, 3 * TILE, 3 * TILE, 7 * TILE + 6)]
    walls["BridgeRail"] = [_rect(river_left, 12 * TILE - 8, 3 * TILE, 8)]
    return walls


def killzone_rects(layout):
    """Deadly rectangles over every chasm cell not spanned by a bridge, kept back from the ground."""
    cells = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if layout.ground[y][x] != CHASM or layout.bridge[y, x]:
                continue
            left, top, right, bottom = x * TILE, y * TILE, (x + 1) * TILE, (y + 1) * TILE
            if _walkable(layout, x - 1, y):
                left += KILLZONE_INSET
            if _walkable(layout, x + 1, y):
                right -= KILLZONE_INSET
            if _walkable(layout, x, y - 1):
                top += KILLZONE_INSET
            if _walkable(layout, x, y + 1):
                bottom -= KILLZONE_INSET
            cells.append(_rect(left, top, right - left, bottom - top))
    rects = merge_rects(cells)
    # Whatever leaves the map over an open edge falls as well.
    for rect in rects:
        if rect[0] == 0:
            rect[0] -= OFF_MAP
            rect[2] += OFF_MAP
        if rect[0] + rect[2] == MAP_WIDTH_PX:
            rect[2] += OFF_MAP
        if rect[1] + rect[3] == MAP_HEIGHT_PX:
            rect[3] += OFF_MAP
        if rect[1] == 0:
            rect[1] -= OFF_MAP
            rect[3] += OFF_MAP
    return rects


def _walkable(layout, x, y):
    if not (0 <= x < WIDTH and 0 <= y < HEIGHT):
        return False
    return layout.ground[y][x] in WALKABLE or bool(layout.bridge[y, x])


def river_rect(layout):
    first_row = 12
    last_water_row = max(y for y in range(HEIGHT) if layout.ground[y][CENTRE_COLUMN] == WATER)
    left = (CENTRE_COLUMN - 1) * TILE + 4
    top = first_row * TILE
    bottom = (last_water_row + 1) * TILE + KILLZONE_INSET + 4   # reaches into the waterfall's killzone
    return _rect(left, top, 3 * TILE - 8, bottom - top)


def _property(name, kind, value):
    return {"name": name, "type": kind, "value": value}


class ObjectList:
    def __init__(self):
        self.objects = []

    def add(self, name, kind, rect, properties=()):
        self.objects.append({
            "height": rect[3], "id": len(self.objects) + 1, "name": name, "properties": list(properties),
            "rotation": 0, "type": kind, "visible": True, "width": rect[2], "x": rect[0], "y": rect[1],
        })
        if not properties:
            del self.objects[-1]["properties"]


def build_objects(layout):
    objects = ObjectList()
    for index, (x, y) in enumerate(PLAYER_STARTS):
        objects.add("Player%d" % index, "Sprite", [x, y, PLAYER_BOX[0], PLAYER_BOX[1]], [
            _property("Texture", "string", "Player/player%d.png" % index),
            _property("TextureRectLeft", "int", 0),
            _property("TextureRectTop", "int", 0),
            _property("InputPlayerIdx", "int", index),
            _property("Density", "float", 1.0),
            _property("Health", "int", 3),
            _property("Scale", "float", 3.0),
        ])
    for group, rects in wall_rects(layout).items():
        for number, rect in enumerate(rects):
            objects.add("%s%d" % (group, number), "Collider", rect)
    objects.add("River", "Trigger", river_rect(layout), [_property("type", "string", "River")])
    for number, rect in enumerate(killzone_rects(layout)):
        objects.add("Abyss%d" % number, "Trigger", rect, [_property("type", "string", "Killzone")])
    for name, (x, y) in zip(("ItemSpawnerLeft", "ItemSpawnerRight"), SPAWNERS):
        objects.add(name, "Spawner", [x, y, 0, 0], [
            _property("ItemTexture0", "string", "Items/rock.png"),
            _property("TextureLeft0", "int", 0),
            _property("TextureTop0", "int", 0),
            _property("TextureWidth0", "int", 32),
            _property("TextureHeight0", "int", 32),
            _property("ItemDensity0", "float", 3.0),
            _property("ItemSpawnRate0", "float", 0.6),
            _property("ItemTexture1", "string", "Items/bomb.png"),
            _property("TextureLeft1", "int", 0),
            _property("TextureTop1", "int", 0),
            _property("TextureWidth1", "int", 32),
            _property("TextureHeight1", "int", 32),
            _property("ItemDensity1", "float", 1.0),
            _property("ItemSpawnRate1", "float", 0.4),
        ])
    return objects.objects


def check(layout, objects):
    """Guards the promises the game relies on; a broken layout must not be written."""
    names = [obj["name"] for obj in objects]
    if len(names) != len(set(names)):
        raise ValueError("object names must be unique: the game keeps only one object per name")
    killzones = [obj for obj in objects if obj["type"] == "Trigger" and obj["properties"][0]["value"] == "Killzone"]
    walls = [obj for obj in objects if obj["type"] == "Collider"]
    for x, y in PLAYER_STARTS:
        box = (x - PLAYER_BOX[0] / 2, y - PLAYER_BOX[1] / 2, PLAYER_BOX[0], PLAYER_BOX[1])
        for obj in killzones + walls:
            if _overlap(box, (obj["x"], obj["y"], obj["width"], obj["height"])):
                raise ValueError("start point %s overlaps %s" % ((x, y), obj["name"]))
    river = [obj for obj in objects if obj["type"] == "Trigger" and obj["properties"][0]["value"] == "River"]
    if len(river) != 1:
        raise ValueError("the arena needs exactly one river")
    r = river[0]
    if not any(_overlap((r["x"], r["y"], r["width"], r["height"]), (k["x"], k["y"], k["width"], k["height"]))
               for k in killzones):
        raise ValueError("the river must lead into a killzone")


def _overlap(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def _tileset_json(tileset, firstgid, image, wangsets=None):
    height, width = image.shape[:2]
    result = {
        "columns": tileset.columns, "firstgid": firstgid, "image": tileset.image_path,
        "imageheight": height, "imagewidth": width, "margin": 0, "name": tileset.name, "spacing": 0,
        "tilecount": _slots(tileset), "tileheight": TILE, "tilewidth": TILE,
    }
    if wangsets:
        result["wangsets"] = wangsets
    return result


# Terrain brushes for the map editor: each blob family becomes a "mixed" Wang set over grass, so
# a map author paints paths, pits, hedges and water and the editor picks the matching edge tiles.
_BRUSHES = (
    ("Path", "#a0703c", lambda mask, variant: ("path", mask), (0,)),
    ("Flagstones", "#8c90a0", lambda mask, variant: ("flagstone", mask), (0,)),
    ("Water", "#2c5eaa", lambda mask, variant: ("water", mask, variant), (0, 1)),
    ("Chasm", "#140c1c", lambda mask, variant: ("chasm", mask), (0,)),
    ("Hedge", "#1c4424", lambda mask, variant: ("hedge", mask, variant), tuple(range(terrain.HEDGE_VARIANTS))),
)


def _wang_id(mask):
    def side(bit):
        return 1 if mask & bit else 2
    return [side(shapes.N), side(shapes.NE), side(shapes.E), side(shapes.SE),
            side(shapes.S), side(shapes.SW), side(shapes.W), side(shapes.NW)]


def wangsets(ground):
    grass_tiles = [ground.index(("grass", variant)) for variant in range(terrain.GRASS_VARIANTS)]
    result = []
    for name, colour, key_of, variants in _BRUSHES:
        full = ground.index(key_of(255, variants[0]))
        tiles = [{"tileid": tile, "wangid": [2] * 8} for tile in grass_tiles]
        seen = set()
        for variant in variants:
            for mask in shapes.BLOB_MASKS:
                tile = ground.index(key_of(mask, variant))
                if tile not in seen:
                    seen.add(tile)
                    tiles.append({"tileid": tile, "wangid": _wang_id(mask)})
        result.append({
            "colors": [
                {"color": colour, "name": name, "probability": 1, "tile": full},
                {"color": "#46803e", "name": "Grass", "probability": 1, "tile": grass_tiles[0]},
            ],
            "name": name, "tile": full, "type": "mixed", "wangtiles": tiles,
        })
    return result


def _tile_layer(layer_id, name, data):
    return {"data": data, "height": HEIGHT, "id": layer_id, "name": name, "opacity": 1, "type": "tilelayer",
            "visible": True, "width": WIDTH, "x": 0, "y": 0}


def build(assets_dir):
    layout = design()
    ground, decor, falls = build_tilesets(layout)
    ground.save(assets_dir)
    decor.save(assets_dir)
    background, top = tile_layers(layout, ground, decor, falls)
    objects = build_objects(layout)
    check(layout, objects)
    document = {
        "compressionlevel": -1,
        "height": HEIGHT,
        "infinite": False,
        "layers": [
            _tile_layer(1, "Background", background),
            _tile_layer(2, "Top", top),
            {"draworder": "topdown", "id": 3, "name": "Objects", "objects": objects, "opacity": 1,
             "type": "objectgroup", "visible": True, "x": 0, "y": 0},
        ],
        "nextlayerid": 4,
        "nextobjectid": len(objects) + 1,
        "orientation": "orthogonal",
        "renderorder": "right-down",
        "tiledversion": "1.8.2",
        "tileheight": TILE,
        "tilesets": [_tileset_json(ground, 1, ground.image(), wangsets(ground)),
                     _tileset_json(decor, 1 + _slots(ground), decor.image())],
        "tilewidth": TILE,
        "type": "map",
        "version": "1.8",
        "width": WIDTH,
    }
    with open("%s/game.tmj" % assets_dir, "w") as handle:
        handle.write(_dump(document))


def _dump(document):
    """Indented like Tiled writes it, with each tile layer's data as one map row per line."""
    rows = {}
    for layer in document["layers"]:
        if "data" in layer:
            marker = "@@%s@@" % layer["name"]
            data = layer["data"]
            lines = [",".join(str(gid) for gid in data[y * WIDTH:(y + 1) * WIDTH]) for y in range(HEIGHT)]
            rows[marker] = "[" + ",\n  ".join(lines) + "]"
            layer["data"] = marker
    for tileset in document["tilesets"]:
        for wangset in tileset.get("wangsets", []):
            marker = "@@wang-%s@@" % wangset["name"]
            entries = [json.dumps(entry, separators=(",", ":")) for entry in wangset["wangtiles"]]
            rows[marker] = "[\n" + ",\n".join(entries) + "]"
            wangset["wangtiles"] = marker
    text = json.dumps(document, indent=1)
    for marker, block in rows.items():
        text = text.replace('"%s"' % marker, block)
    return text + "\n"
