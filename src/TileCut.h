#pragma once
// Where a map cell's tile lies in its tileset image. The tilesets are cut on the map's grid, left
// to right and top to bottom, so a tile id and the image size alone decide whether a cell can be
// drawn. The map loader and the map checker both go by this rule.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <cstdint>

namespace zelk
{

// The editor keeps horizontal, vertical, diagonal and hexagonal flips in a global id's top bits.
constexpr std::uint32_t TILE_FLIP_BITS = 0xF0000000u;

enum class TileCut
{
    Inside,
    // The image is narrower than one tile, so it has no column to cut from.
    ImageTooNarrow,
    // The tile's row lies below the image's last full row.
    OutsideImage
};

// localId counts from 0 within the tileset; rect is set only when the tile lies inside the image.
TileCut cutTile(std::int64_t localId, sf::Vector2i tileSize, sf::Vector2u imageSize, sf::IntRect& rect);

} // namespace zelk
