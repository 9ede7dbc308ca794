#pragma once
// One layer of a map. Group layers do not appear: their children stand in their place.

#include "TiledObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelk
{

enum class TiledLayerKind
{
    Tile,
    Object,
    Image
};

class TiledLayer
{
public:
    std::string name;
    TiledLayerKind kind = TiledLayerKind::Tile;
    // Size in tiles; 0 for object and image layers.
    int width = 0;
    int height = 0;
    // Tile layers: width x height global tile ids, row-major, 0 for an empty cell, flip bits kept.
    std::vector<std::uint32_t> data;
    // Object layers: the objects in file order.
    std::vector<TiledObject> objects;
    // How the editor shows the layer, its groups' settings already applied: opacities multiplied,
    // hidden when it or a group is hidden, offsets (pixels) added.
    float opacity = 1.f;
    bool visible = true;
    float offsetX = 0.f;
    float offsetY = 0.f;
};

} // namespace zelk
