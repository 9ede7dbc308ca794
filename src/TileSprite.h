#pragma once
// One non-empty cell of a tile layer: where it sits in the layer and the sprite that draws it.

#include <SFML/Graphics/Sprite.hpp>

#include <memory>

namespace zelk
{

class TileSprite
{
public:
    // Row-major index of the cell in its layer.
    int cellIndex = 0;
    std::shared_ptr<sf::Sprite> sprite;
};

} // namespace zelk
