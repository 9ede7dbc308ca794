#pragma once
// Checks a map for an author before a match is ever started: it reads the map with the game's
// reader and its objects with the game's class table and property rules, collecting their findings,
// and adds what only shows on screen (a player starting inside a wall, frames beyond their image,
// tiles no tileset covers, what the editor shows but the game does not draw). A map the game cannot
// read gets every reason at once, with what its tile layers would still show.
//
// Runs without a window, a display or a sound device: images are only decoded to learn their
// size, and no texture, body or sound is made.

#include "ObjectSettings.h"
#include "TiledMap.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zelk
{

class TiledLayer;
class TiledObject;

class MapChecker
{
public:
    using Severity = FindingSeverity;

    struct Finding
    {
        Severity severity;
        // "object \"Player0\" (id 3)", "layer \"Top\"", or empty for the map as a whole.
        std::string where;
        std::string message;
    };

    // Exit statuses of the checker's executable.
    static constexpr int CLEAN = 0;
    static constexpr int HAS_ERRORS = 1;
    static constexpr int UNREADABLE = 2;

    // Asset paths in the map are resolved against the map's own directory, as the game resolves
    // them against the asset directory that holds the arena. False when the file is no usable map.
    bool check(const std::filesystem::path& mapPath);

    const std::vector<Finding>& getFindings() const { return m_findings; }
    int countFindings(Severity severity) const;
    int getExitStatus() const;
    // One line per finding, "<file name>: <where>: error: <message>".
    void print(std::ostream& out) const;
    // "<file name>: 2 errors, 1 warning"
    void printSummary(std::ostream& out) const;

private:
    // What the object checks learn about the objects the game would build.
    struct BuiltObject
    {
        const TiledObject* object;
        ObjectRect rect;
        bool isKillzone = false;
    };

    void checkTiles();
    void checkTilesets();
    void checkTileLayer(const TiledLayer& layer);
    void checkLayerIsDrawn(const TiledLayer& layer);
    void checkObject(const TiledObject& object);
    void checkSprite(const TiledObject& object);
    void checkCollider(const TiledObject& object);
    void checkTrigger(const TiledObject& object);
    void checkSpawner(const TiledObject& object);
    void checkInsideMap(const TiledObject& object, const sf::FloatRect& area);
    void checkPlayers();
    void checkPlayerStart(const BuiltObject& player);
    void checkPlayerComponents(const BuiltObject& player);
    void checkImageArea(const TiledObject& object, const std::string& what, const std::filesystem::path& path,
                        const sf::Rect<std::int64_t>& area);

    // The image's size in pixels, or nothing when it does not load; each file is decoded once.
    std::optional<sf::Vector2u> imageSize(const std::filesystem::path& path);
    // Reports what the game's rules found about the object.
    void reportFindings(const TiledObject& object, const ObjectFindings& findings);

    void report(Severity severity, std::string where, std::string message);
    void reportAbout(const TiledObject& object, Severity severity, std::string message);

    std::filesystem::path m_mapPath;
    std::filesystem::path m_baseDirectory;
    TiledMap m_map;
    std::string m_loadError;
    std::vector<Finding> m_findings;
    std::map<std::string, std::optional<sf::Vector2u>> m_imageSizes;
    std::vector<BuiltObject> m_builtObjects;
    // Keyed by object, so a player is matched with the settings it was built from.
    std::map<const TiledObject*, SpriteSettings> m_spriteSettings;
};

} // namespace zelk
