#include "TileCut.h"

#include "GameNames.h"
#include "TiledLayer.h"
#include "TiledTileset.h"

#include <sstream>

namespace zelk
{

namespace
{

// Tiles of a side across an image side, each after the first also taking the spacing.
std::int64_t tilesAcross(unsigned imageSide, int tileSide, const TileGrid& grid)
{
    const std::int64_t usable = static_cast<std::int64_t>(imageSide) - 2 * std::int64_t{grid.margin} + grid.spacing;
    return usable <= 0 ? 0 : usable / (std::int64_t{tileSide} + grid.spacing);
}

std::string describePair(double x, double y)
{
    std::ostringstream text;
    text << "(" << x << ", " << y << ")";
    return text.str();
}

} // namespace

TileGrid gridOf(const TiledTileset& tileset, sf::Vector2i mapTileSize)
{
    return {mapTileSize, tileset.margin, tileset.spacing};
}

TileCut cutTile(std::int64_t localId, const TileGrid& grid, sf::Vector2u imageSize, sf::IntRect& rect)
{
    const std::int64_t columns = tilesAcross(imageSize.x, grid.tileSize.x, grid);
    if (columns == 0)
        return TileCut::ImageTooNarrow;
    if (localId / columns >= tilesAcross(imageSize.y, grid.tileSize.y, grid))
        return TileCut::OutsideImage;
    const std::int64_t left = grid.margin + (std::int64_t{grid.tileSize.x} + grid.spacing) * (localId % columns);
    const std::int64_t top = grid.margin + (std::int64_t{grid.tileSize.y} + grid.spacing) * (localId / columns);
    rect = sf::IntRect(static_cast<int>(left), static_cast<int>(top), grid.tileSize.x, grid.tileSize.y);
    return TileCut::Inside;
}

std::vector<DrawingNote> drawingNotesOf(const TiledTileset& tileset, sf::Vector2i mapTileSize)
{
    std::vector<DrawingNote> notes;
    if (tileset.isImageCollection)
    {
        notes.push_back({true, "is a collection of images, which the game does not support, so none of its tiles "
                               "is drawn; put the tiles into one image and make a tileset of that image"});
        return notes;
    }
    const bool hasTileSize = tileset.tileWidth > 0 && tileset.tileHeight > 0;
    if (hasTileSize && (tileset.tileWidth != mapTileSize.x || tileset.tileHeight != mapTileSize.y))
        notes.push_back({false, "has tiles of " + std::to_string(tileset.tileWidth) + " x " +
                                    std::to_string(tileset.tileHeight) + " pixels on the map's grid of " +
                                    std::to_string(mapTileSize.x) + " x " + std::to_string(mapTileSize.y) +
                                    "; the game cuts and draws every tile in the grid's size, so they do not look "
                                    "as in the editor"});
    if (tileset.offsetX != 0 || tileset.offsetY != 0)
        notes.push_back({false, "has the tile offset " + describePair(tileset.offsetX, tileset.offsetY) +
                                    ", which the game does not apply; its tiles are drawn in their cells"});
    return notes;
}

std::vector<DrawingNote> drawingNotesOf(const TiledLayer& layer)
{
    std::vector<DrawingNote> notes;
    if (layer.kind == TiledLayerKind::Image)
    {
        const bool meantToBeDrawn = MapName::isDrawnLayer(layer.name);
        notes.push_back({meantToBeDrawn, "is an image layer, which the game does not draw; only tile layers count "
                                         "as \"Background\" or \"Top\""});
        return notes;
    }
    if (layer.offsetX != 0.f || layer.offsetY != 0.f)
        notes.push_back({false, "has the offset " + describePair(layer.offsetX, layer.offsetY) +
                                    ", which the game does not apply"});
    if (!layer.visible && layer.kind == TiledLayerKind::Tile)
        notes.push_back({false, "is hidden in the editor, so the game does not draw it either"});
    return notes;
}

} // namespace zelk
