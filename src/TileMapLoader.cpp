#include "TileMapLoader.h"

#include "GameObjectCreateEvent.h"
#include "TileCut.h"
#include "TileLayerRenderComponent.h"
#include "TiledLayer.h"
#include "TiledTileset.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>

#include <cmath>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace zelk
{

namespace
{

// A tileset together with the texture its own image produced (null when it did not load).
struct LoadedTileset
{
    const TiledTileset* tileset = nullptr;
    std::shared_ptr<sf::Texture> texture;
};

// Why cells of one layer were left out; reported once per layer.
struct SkippedCells
{
    int flipped = 0;
    int uncovered = 0;
    int imageMissing = 0;
    int imageTooNarrow = 0;
    int outsideImage = 0;

    int total() const { return flipped + uncovered + imageMissing + imageTooNarrow + outsideImage; }
};

struct TileMapGeometry
{
    int tileWidth = 0;
    int tileHeight = 0;
};

void reportDrawingNotes(const char* what, const std::string& name, const std::vector<DrawingNote>& notes)
{
    for (const DrawingNote& note : notes)
        sf::err() << what << " \"" << name << "\" " << note.text << std::endl;
}

// Pixels of the tileset's transparent colour become see-through, as the editor shows them.
bool loadImageWithTransparency(const TiledTileset& tileset, const std::filesystem::path& path, sf::Texture& texture)
{
    sf::Image image;
    if (!image.loadFromFile(path.string()))
        return false;
    const std::uint32_t rgb = tileset.transparentColor;
    image.createMaskFromColor(sf::Color((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF), 0);
    return texture.loadFromImage(image);
}

std::shared_ptr<sf::Texture> loadTilesetTexture(const TiledTileset& tileset,
                                                const std::filesystem::path& baseDirectory)
{
    std::cout << "Load tileset: " << tileset.name << " width filename: " << std::filesystem::path(tileset.image)
              << " and tile size: " << tileset.tileWidth << ", " << tileset.tileHeight << std::endl;
    // An image collection has no image of its own; its note says why its tiles stay out.
    if (tileset.isImageCollection)
        return {};
    const std::filesystem::path path = baseDirectory / tileset.image;
    auto texture = std::make_shared<sf::Texture>();
    const bool loaded = !tileset.image.empty() && (tileset.hasTransparentColor
                                                       ? loadImageWithTransparency(tileset, path, *texture)
                                                       : texture->loadFromFile(path.string()));
    if (!loaded)
    {
        sf::err() << "Could not load texture " << path << std::endl;
        return {};
    }
    return texture;
}

std::vector<LoadedTileset> loadTilesets(const TiledMap& map, const std::filesystem::path& baseDirectory,
                                        SpriteManager& spriteManager)
{
    std::vector<LoadedTileset> loaded;
    std::unordered_map<std::string, std::shared_ptr<sf::Texture>> texturesByName;
    for (const TiledTileset& tileset : map.getTilesets())
    {
        reportDrawingNotes("Tileset", tileset.name,
                           drawingNotesOf(tileset, {map.getTileWidth(), map.getTileHeight()}));
        auto texture = loadTilesetTexture(tileset, baseDirectory);
        if (texture)
            texturesByName[tileset.name] = texture;
        loaded.push_back({&tileset, texture});
    }
    spriteManager.setTileSetTextures(std::move(texturesByName));
    return loaded;
}

const LoadedTileset* findTileset(const std::vector<LoadedTileset>& tilesets, std::uint32_t gid)
{
    for (const LoadedTileset& loaded : tilesets)
    {
        if (loaded.tileset->containsGid(gid))
            return &loaded;
    }
    return nullptr;
}

// The sprite of one cell, or null with the reason counted in skipped.
std::shared_ptr<sf::Sprite> createTileSprite(int cellIndex, std::uint32_t gid, const TiledLayer& layer,
                                             const TileMapGeometry& geometry,
                                             const std::vector<LoadedTileset>& tilesets, SkippedCells& skipped)
{
    const int layerWidth = layer.width;
    if (gid & TILE_FLIP_BITS)
    {
        ++skipped.flipped;
        return {};
    }
    const LoadedTileset* loaded = findTileset(tilesets, gid);
    if (!loaded)
    {
        ++skipped.uncovered;
        return {};
    }
    if (!loaded->texture)
    {
        ++skipped.imageMissing;
        return {};
    }
    // Map tile size, not the tileset's: the tilesets are cut on the map's grid.
    const std::int64_t localId = static_cast<std::int64_t>(gid) - loaded->tileset->firstGid;
    sf::IntRect tileRect;
    const TileGrid grid = gridOf(*loaded->tileset, {geometry.tileWidth, geometry.tileHeight});
    switch (cutTile(localId, grid, loaded->texture->getSize(), tileRect))
    {
    case TileCut::ImageTooNarrow:
        ++skipped.imageTooNarrow;
        return {};
    case TileCut::OutsideImage:
        ++skipped.outsideImage;
        return {};
    case TileCut::Inside:
        break;
    }

    auto sprite = std::make_shared<sf::Sprite>();
    sprite->setTexture(*loaded->texture);
    sprite->setTextureRect(tileRect);
    // The editor's layer opacity; fully opaque layers keep the sprite's own white.
    if (layer.opacity < 1.f)
        sprite->setColor(sf::Color(255, 255, 255, static_cast<sf::Uint8>(std::lround(layer.opacity * 255.f))));
    sprite->setPosition(static_cast<float>(geometry.tileWidth * (cellIndex % layerWidth)),
                        static_cast<float>(geometry.tileHeight * (cellIndex / layerWidth)));
    return sprite;
}

void reportSkippedCells(const std::string& layerName, const SkippedCells& skipped)
{
    if (skipped.total() == 0)
        return;
    std::ostringstream line;
    line << "Skipped " << skipped.total() << " cells of layer \"" << layerName << "\":";
    const char* separator = " ";
    const auto reason = [&](int count, const char* why) {
        if (count == 0)
            return;
        line << separator << count << " " << why;
        separator = ", ";
    };
    reason(skipped.flipped, "with flipped or rotated tiles (not supported)");
    reason(skipped.uncovered, "whose tile id no tileset covers");
    reason(skipped.imageMissing, "of a tileset whose image did not load");
    reason(skipped.imageTooNarrow, "of a tileset whose image is narrower than one tile");
    reason(skipped.outsideImage, "whose tile lies outside its tileset image");
    sf::err() << line.str() << std::endl;
}

TileLayerData createLayerData(const TiledLayer& layer, const TileMapGeometry& geometry,
                              const std::vector<LoadedTileset>& tilesets)
{
    std::cout << "Load layer: " << layer.name << " with width: " << layer.width << " and height: " << layer.height
              << std::endl;
    reportDrawingNotes("Layer", layer.name, drawingNotesOf(layer));
    TileLayerData data;
    data.name = layer.name;
    data.size = {layer.width, layer.height};
    data.tileSize = {geometry.tileWidth, geometry.tileHeight};

    // A layer hidden in the editor stays empty, as the editor shows it.
    if (!layer.visible)
        return data;
    SkippedCells skipped;
    const std::size_t cellCount = static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(layer.height);
    for (std::size_t i = 0; i < cellCount && i < layer.data.size(); ++i)
    {
        const std::uint32_t gid = layer.data[i];
        if (gid == 0)
            continue;
        const int cellIndex = static_cast<int>(i);
        if (auto sprite = createTileSprite(cellIndex, gid, layer, geometry, tilesets, skipped))
            data.tiles.push_back({cellIndex, std::move(sprite)});
    }
    reportSkippedCells(layer.name, skipped);
    return data;
}

// The textures a layer's sprites use, so the layer keeps them alive on its own.
std::vector<std::shared_ptr<const sf::Texture>> texturesOf(const TileLayerData& data,
                                                           const std::vector<LoadedTileset>& tilesets)
{
    std::vector<std::shared_ptr<const sf::Texture>> used;
    for (const LoadedTileset& loaded : tilesets)
    {
        if (!loaded.texture)
            continue;
        for (const TileSprite& tile : data.tiles)
        {
            if (tile.sprite->getTexture() == loaded.texture.get())
            {
                used.push_back(loaded.texture);
                break;
            }
        }
    }
    return used;
}

} // namespace

std::shared_ptr<GameObject> loadTileLayers(const TiledMap& map, const std::filesystem::path& baseDirectory,
                                           SpriteManager& spriteManager)
{
    std::cout << "Load tileMap with size: " << map.getWidth() << "x" << map.getHeight()
              << " and tile size: " << map.getTileWidth() << "x" << map.getTileHeight() << std::endl;
    const TileMapGeometry geometry{map.getTileWidth(), map.getTileHeight()};

    const std::vector<LoadedTileset> tilesets = loadTilesets(map, baseDirectory, spriteManager);

    std::vector<TileLayerData> layers;
    layers.reserve(map.getLayers().size());
    for (const TiledLayer& layer : map.getLayers())
        layers.push_back(createLayerData(layer, geometry, tilesets));

    auto tileMap = std::make_shared<GameObject>("TileMap");
    // Announced before its layers are added: listeners learn of the object first, then of its layers.
    GameObjectCreateEvent::announce(tileMap);
    for (TileLayerData& layer : layers)
    {
        auto textures = texturesOf(layer, tilesets);
        tileMap->addComponent<TileLayerRenderComponent>(*tileMap, spriteManager.getRenderWindow(), std::move(layer),
                                                        std::move(textures));
    }
    tileMap->initReporting(" in TileMap ");
    return tileMap;
}

} // namespace zelk
