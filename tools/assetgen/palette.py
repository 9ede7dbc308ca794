"""The one colour palette every picture of the game is drawn from, so all art reads as one set."""

OUTLINE = (20, 12, 28)          # near-black: pure black is reserved for colour-masked transparency
SHADOW = (38, 28, 46)
DUSK = (56, 42, 66)

GRASS_DARK = (44, 92, 58)
GRASS = (70, 128, 62)
GRASS_LIGHT = (104, 160, 70)
GRASS_TIP = (150, 194, 88)

HEDGE_DEEP = (18, 44, 36)
HEDGE_DARK = (28, 68, 46)
HEDGE = (44, 98, 56)
HEDGE_LIGHT = (72, 130, 62)
BERRY_DARK = (88, 28, 72)
BERRY = (150, 46, 104)
BERRY_SHINE = (222, 120, 170)
THORN = (196, 170, 120)

DIRT_DARK = (104, 70, 50)
DIRT = (146, 104, 68)
DIRT_LIGHT = (180, 138, 90)
PEBBLE = (206, 176, 130)

STONE_DEEP = (46, 46, 64)
STONE_DARK = (72, 74, 94)
STONE = (108, 112, 130)
STONE_LIGHT = (148, 152, 166)
STONE_SHINE = (194, 198, 206)
MOSS = (92, 124, 64)

WOOD_DARK = (84, 50, 36)
WOOD = (130, 82, 48)
WOOD_LIGHT = (172, 118, 66)
WOOD_SHINE = (206, 158, 96)

WATER_DEEP = (26, 58, 122)
WATER = (40, 94, 170)
WATER_LIGHT = (72, 140, 206)
WATER_SHINE = (136, 196, 236)
FOAM = (214, 238, 250)

VOID = (8, 6, 16)
VOID_DEEP = (16, 12, 28)
CLIFF_DARK = (38, 28, 44)
CLIFF = (66, 48, 60)
CLIFF_LIGHT = (100, 72, 72)
EARTH = (122, 88, 70)

WARN_YELLOW = (236, 190, 58)
WARN_DARK = (34, 24, 36)

RED_DARK = (122, 26, 44)
RED = (206, 52, 58)
RED_LIGHT = (244, 106, 92)
RED_SHINE = (255, 176, 150)

BLUE_DARK = (30, 54, 134)
BLUE = (52, 106, 210)
BLUE_LIGHT = (96, 160, 246)
BLUE_SHINE = (170, 214, 255)

SKIN = (240, 192, 150)
SKIN_SHADE = (196, 134, 108)
CHEEK = (232, 140, 130)

GOLD_DARK = (170, 110, 30)
GOLD = (236, 178, 52)
GOLD_LIGHT = (255, 226, 120)

WHITE = (246, 242, 232)
PAPER = (226, 214, 186)
GREY = (150, 144, 150)
INK = (34, 26, 42)

FLOWER_YELLOW = (250, 214, 84)
FLOWER_PINK = (240, 132, 172)
FLOWER_VIOLET = (156, 114, 214)
FLOWER_WHITE = (240, 240, 226)

FIRE_DARK = (176, 48, 30)
FIRE = (240, 116, 40)
FIRE_LIGHT = (255, 196, 72)
FIRE_WHITE = (255, 246, 200)
SMOKE_DARK = (70, 60, 72)
SMOKE = (118, 108, 116)
SMOKE_LIGHT = (168, 160, 160)

# The two players must never be confused: warm ember red against cool sky blue.
PLAYER_COLOURS = (
    {"main": RED, "light": RED_LIGHT, "shine": RED_SHINE, "dark": RED_DARK},
    {"main": BLUE, "light": BLUE_LIGHT, "shine": BLUE_SHINE, "dark": BLUE_DARK},
)
