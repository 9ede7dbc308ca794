#pragma once
// Turns the tilesets and layers of a loaded map into the "TileMap" game object: one
// TileLayerRenderComponent per map layer, filed under the layer's name.

#include "GameObject.h"
#include "SpriteManager.h"
#include "TiledMap.h"

#include <filesystem>
#include <memory>

namespace zelk
{

// Tileset images are loaded from baseDirectory joined with their path in the map; the textures go
// to the sprite manager. Tiles are cut with the tileset's margin and spacing, its transparent colour
// is see-through, layers are drawn at their opacity and hidden ones not at all, as in the editor;
// what the editor shows but the game does not draw gets one line each (TileCut.h). Cells that cannot
// be drawn (unknown or flipped tile ids, a tileset whose image is missing or too small) are skipped
// with one message per layer. Returns the "TileMap"
// object, which was announced with a GameObjectCreateEvent before its components were added.
std::shared_ptr<GameObject> loadTileLayers(const TiledMap& map, const std::filesystem::path& baseDirectory,
                                           SpriteManager& spriteManager);

} // namespace zelk
