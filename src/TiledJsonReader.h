#pragma once
// Turns the text of a Tiled JSON map into the map records. Every field is type-checked before it
// is read, so a broken file can neither throw nor crash, and sizes are bounded before anything is
// allocated for them. A broken field ends the read with a one-line reason (without file name).
// What is well-formed but not supported (external tilesets, compressed layers, other orientations,
// infinite maps, templates, ...) is collected instead, every such reason in one read, so that an
// author learns all of them at once; the read then fails with all of them.

#include "TiledLayer.h"
#include "TiledTileset.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zelk
{

class TiledJsonReader
{
public:
    // Largest map or layer side in tiles, and largest tile side in pixels.
    static constexpr int MaxTiles = 10000;
    static constexpr int MaxTileSize = 10000;
    // All tile layers together. Every cell may become a sprite of a few hundred bytes, so this keeps
    // a map's tiles well under a gigabyte (the arena has about a thousand cells per layer).
    static constexpr std::int64_t MaxMapCells = 2 * 1024 * 1024;
    static constexpr int MaxGroupDepth = 64;
    // Object positions and sizes stay where every whole number is exact in a float (and in an int).
    static constexpr double MaxCoordinate = 16777216.0;
    // Global tile ids above this carry the editor's flip bits; no tileset may start there.
    static constexpr int MaxFirstGid = 0x0FFFFFFF;

    bool read(const std::string& text);
    // The first reason the read failed; empty after a success.
    const std::string& getError() const { return m_error; }
    // Every reason, the first one first.
    const std::vector<std::string>& getReasons() const { return m_reasons; }
    // True when the read failed only for features the game does not support: what was read is
    // then whole, only without the unsupported parts.
    bool failedOnlyOnUnsupported() const { return !m_reasons.empty() && !m_malformed; }

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    int getTileWidth() const { return m_tileWidth; }
    int getTileHeight() const { return m_tileHeight; }
    std::vector<TiledTileset> takeTilesets() { return std::move(m_tilesets); }
    std::vector<TiledLayer> takeLayers() { return std::move(m_layers); }

private:
    using Json = nlohmann::json;

    bool readMapHeader(const Json& map);
    bool readTilesets(const Json& map);
    bool readTileset(const Json& json, std::size_t index);
    bool readLayerList(const Json& owner, const std::string& where, int depth, const TiledLayer* group);
    bool readLayer(const Json& json, std::string where, int depth, const TiledLayer* group);
    bool readTileLayer(const Json& json, TiledLayer& layer, const std::string& where);
    bool readTileIdArray(const Json& data, TiledLayer& layer, const std::string& where);
    bool readTileIdBase64(const std::string& text, TiledLayer& layer, const std::string& where);
    bool readObjectLayer(const Json& json, TiledLayer& layer, const std::string& where);
    bool readObject(const Json& json, TiledObject& object, const std::string& layerWhere, std::size_t index);
    void readLayerLook(const Json& json, TiledLayer& layer, const std::string& where, const TiledLayer* group);
    bool readTileOffset(const Json& json, TiledTileset& tileset, const std::string& where);
    bool readColor(const Json& owner, const char* key, const std::string& where, bool& isSet, std::uint32_t& rgb);
    bool readProperties(const Json& owner, std::vector<TiledProperty>& properties, const std::string& where);
    bool readProperty(const Json& json, TiledProperty& property, const std::string& ownerWhere, std::size_t index);
    bool readPropertyValue(const Json& json, TiledProperty& property, const std::string& where);

    // Optional fields keep the value they had when the key is absent; present ones must be valid.
    bool readInt(const Json& owner, const char* key, const std::string& where, int min, int max, int& value);
    bool readRequiredInt(const Json& owner, const char* key, const std::string& where, int min, int max,
                         int& value);
    bool readString(const Json& owner, const char* key, const std::string& where, std::string& value);
    bool readNumber(const Json& owner, const char* key, const std::string& where, double min, double max,
                    float& value);
    bool failField(const std::string& where, const char* key, const Json& value, const std::string& expected);
    bool fail(std::string reason);
    // Notes a reason the game cannot use the map and lets the read go on; always true.
    bool unsupported(std::string reason);
    void noteCompressedLayers();
    void noteTemplates();

    std::string m_error;
    std::vector<std::string> m_reasons;
    bool m_malformed = false;
    bool m_infinite = false;
    // Compression name (quoted) -> where each layer so compressed is, in file order.
    std::map<std::string, std::vector<std::string>> m_compressedLayers;
    int m_templateObjects = 0;
    std::string m_firstTemplate;
    int m_width = 0;
    int m_height = 0;
    int m_tileWidth = 0;
    int m_tileHeight = 0;
    std::int64_t m_tileCells = 0;
    std::vector<TiledTileset> m_tilesets;
    std::vector<TiledLayer> m_layers;
};

} // namespace zelk
