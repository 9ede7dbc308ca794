#pragma once
// A tileset embedded in a map: which global tile ids it covers and the image they are cut from.

#include <cstdint>
#include <string>

namespace zelk
{

class TiledTileset
{
public:
    int firstGid = 0;
    std::string name;
    // As written in the map, relative to the map's directory.
    std::string image;
    int tileCount = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    // Pixels around the tiles at the image's edges, and between neighbouring tiles.
    int margin = 0;
    int spacing = 0;
    // Pixels of this colour (0xRRGGBB) are transparent, when set.
    bool hasTransparentColor = false;
    std::uint32_t transparentColor = 0;
    // Where the editor draws the tiles, relative to their cell, in pixels.
    int offsetX = 0;
    int offsetY = 0;
    // Every tile has an image of its own instead of one image for all.
    bool isImageCollection = false;

    // firstGid <= gid <= firstGid + tileCount - 1, computed without overflow.
    bool containsGid(std::uint32_t gid) const;
};

} // namespace zelk
