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

    // firstGid <= gid <= firstGid + tileCount - 1, computed without overflow.
    bool containsGid(std::uint32_t gid) const;
};

} // namespace zelk
