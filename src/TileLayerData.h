#pragma once
// The drawable content of one map layer; its name is also the render layer its tiles go to.

#include "TileSprite.h"

#include <SFML/System/Vector2.hpp>

#include <string>
#include <vector>

namespace zelk
{

class TileLayerData
{
public:
    std::string name;
    // Layer size in tiles.
    sf::Vector2i size;
    // The map's tile size in pixels.
    sf::Vector2i tileSize;
    // The non-empty cells, in cell order.
    std::vector<TileSprite> tiles;
};

} // namespace zelk
