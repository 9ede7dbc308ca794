#pragma once
// A map saved by the Tiled editor in its JSON format (".tmj"/".json"), read into plain records.
//
// Only fixed-size orthogonal maps with embedded tilesets and uncompressed layer data are read;
// anything else fails the load with one-line reasons, every one that applies. A failed load leaves
// the map empty, never half-filled, unless the caller asks to keep what could be read: the map
// checker does, to report the tiles of a map that fails only on unsupported features in the same run.

#include "TiledLayer.h"
#include "TiledTileset.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelk
{

class TiledMap
{
public:
    // Files larger than this are refused before they are read: parsed, a file takes several times
    // its size in memory. The arena map is some 25 kB.
    static constexpr std::uintmax_t MaxFileBytes = 32u * 1024u * 1024u;

    enum class OnFailure
    {
        Clear,
        // Only when the map is well-formed and fails on unsupported features alone.
        KeepReadableParts
    };

    bool loadFromFile(const std::filesystem::path& path, OnFailure onFailure = OnFailure::Clear);
    // nameForMessages only names the source in the error text.
    bool loadFromString(const std::string& json, const std::filesystem::path& nameForMessages,
                        OnFailure onFailure = OnFailure::Clear);
    // Why the last load failed, one line, beginning with the quoted file name; empty after a success.
    const std::string& getError() const;
    // Every reason the last load failed, without the file name, the one getError() gives first.
    const std::vector<std::string>& getReasons() const;

    // Size in tiles and tile size in pixels; all 0 while nothing is loaded.
    int getWidth() const;
    int getHeight() const;
    int getTileWidth() const;
    int getTileHeight() const;
    const std::vector<TiledTileset>& getTilesets() const;
    // In file order, the children of group layers in place of the group.
    const std::vector<TiledLayer>& getLayers() const;

private:
    void clear();
    bool fail(const std::filesystem::path& source, const std::string& reason);
    bool fail(const std::filesystem::path& source, const std::vector<std::string>& reasons);
    void setReasons(const std::filesystem::path& source, const std::vector<std::string>& reasons);

    std::string m_error;
    std::vector<std::string> m_reasons;
    int m_width = 0;
    int m_height = 0;
    int m_tileWidth = 0;
    int m_tileHeight = 0;
    std::vector<TiledTileset> m_tilesets;
    std::vector<TiledLayer> m_layers;
};

} // namespace zelk
