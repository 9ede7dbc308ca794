#pragma once
// Where a map cell's tile lies in its tileset image, and what the game draws differently from the
// editor. The tilesets are cut on the map's grid, left to right and top to bottom, after the
// tileset's margin and with its spacing between tiles, so a tile id and the image size alone decide
// whether a cell can be drawn. The map loader and the map checker both go by these rules.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace zelk
{

class TiledLayer;
class TiledTileset;

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

// How a tileset image is divided into tiles, in pixels.
struct TileGrid
{
    sf::Vector2i tileSize;
    int margin = 0;
    int spacing = 0;
};

// The map's tile size with the tileset's margin and spacing.
TileGrid gridOf(const TiledTileset& tileset, sf::Vector2i mapTileSize);

// localId counts from 0 within the tileset; rect is set only when the tile lies inside the image.
TileCut cutTile(std::int64_t localId, const TileGrid& grid, sf::Vector2u imageSize, sf::IntRect& rect);

// Something the editor shows that the game does not draw, said in the author's terms: the text
// follows the tileset's or the layer's name ("tileset \"x\" <text>").
struct DrawingNote
{
    // Tiles or a layer meant to be seen are lost, rather than drawn a little differently.
    bool isLoss = false;
    std::string text;
};

// Empty for a tileset the game draws as the editor does; an image collection draws no tile at all.
std::vector<DrawingNote> drawingNotesOf(const TiledTileset& tileset, sf::Vector2i mapTileSize);
std::vector<DrawingNote> drawingNotesOf(const TiledLayer& layer);

} // namespace zelk
