#include "TileMapLoader.h"

#include "GameObjectCreateEvent.h"
#include "TileLayerRenderComponent.h"

#include <SFML/System/Err.hpp>

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

// The editor keeps horizontal, vertical, diagonal and hexagonal flips in the top four bits.
constexpr std::uint32_t FlipBits = 0xF0000000u;

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

std::shared_ptr<sf::Texture> loadTilesetTexture(const TiledTileset& tileset,
                                                const std::filesystem::path& baseDirectory)
{
    std::cout << "Load tileset: " << tileset.name << " width filename: " << std::filesystem::path(tileset.image)
              << " and tile size: " << tileset.tileWidth << ", " << tileset.tileHeight << std::endl;
    const std::filesystem::path path = baseDirectory / tileset.image;
    auto texture = std::make_shared<sf::Texture>();
    if (tileset.image.empty() || !texture->loadFromFile(path.string()))
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
std::shared_ptr<sf::Sprite> createTileSprite(int cellIndex, std::uint32_t gid, int layerWidth,
                                             const TileMapGeometry& geometry,
                                             const std::vector<LoadedTileset>& tilesets, SkippedCells& skipped)
{
    if (gid & FlipBits)
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
    const sf::Vector2u textureSize = loaded->texture->getSize();
    const std::int64_t columns = textureSize.x / static_cast<unsigned>(geometry.tileWidth);
    if (columns == 0)
    {
        ++skipped.imageTooNarrow;
        return {};
    }

    // Map tile size, not the tileset's: the tilesets are cut on the map's grid.
    const std::int64_t localId = static_cast<std::int64_t>(gid) - loaded->tileset->firstGid;
    const std::int64_t left = geometry.tileWidth * (localId % columns);
    const std::int64_t top = geometry.tileHeight * (localId / columns);
    if (top + geometry.tileHeight > static_cast<std::int64_t>(textureSize.y))
    {
        ++skipped.outsideImage;
        return {};
    }

    auto sprite = std::make_shared<sf::Sprite>();
    sprite->setTexture(*loaded->texture);
    sprite->setTextureRect(sf::IntRect(static_cast<int>(left), static_cast<int>(top), geometry.tileWidth,
                                       geometry.tileHeight));
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
    TileLayerData data;
    data.name = layer.name;
    data.size = {layer.width, layer.height};
    data.tileSize = {geometry.tileWidth, geometry.tileHeight};

    SkippedCells skipped;
    const std::size_t cellCount = static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(layer.height);
    for (std::size_t i = 0; i < cellCount && i < layer.data.size(); ++i)
    {
        const std::uint32_t gid = layer.data[i];
        if (gid == 0)
            continue;
        const int cellIndex = static_cast<int>(i);
        if (auto sprite = createTileSprite(cellIndex, gid, layer.width, geometry, tilesets, skipped))
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
    spriteManager.setTileSize({map.getTileWidth(), map.getTileHeight()});
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
