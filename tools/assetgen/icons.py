"""The desktop icon: player 0's standing frame, facing the viewer, in the hicolor theme's sizes.

Every size is a whole multiple of the 16-pixel frame and scaled by repeating pixels, so the icon
stays as crisp as the sprite the player sees in the arena.
"""
import os

from . import characters
from . import pixels

SIZES = (16, 32, 48, 64, 128, 256)


def icon_frame():
    """The first standing frame of the column facing down (see the sheet layout in characters)."""
    sheet = characters.build_sheet(0)
    return sheet[0:characters.SMALL, 0:characters.SMALL].copy()


def build(icons_dir):
    frame = icon_frame()
    for size in SIZES:
        path = os.path.join(icons_dir, "hicolor", "%dx%d" % (size, size), "apps", "bramblot.png")
        pixels.save_png(pixels.scale_up(frame, size // characters.SMALL), path)
