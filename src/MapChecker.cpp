#include "MapChecker.h"

#include "GameNames.h"
#include "TileCut.h"
#include "TiledLayer.h"
#include "TiledObject.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <sstream>

namespace zelk
{

namespace
{

const std::string GAME_MESSAGE_PREFIX = "Map object \"";
const char* const KIND_NAMES[] = {"rock", "bomb"};
// Far beyond any image a texture can hold; keeps the arithmetic of a sheet's frames within an int.
constexpr int MAX_FRAME_SIDE = 1 << 20;

// Takes over sf::err() for its lifetime, so the game's messages can be collected instead of shown.
class ErrorStreamCapture
{
public:
    ErrorStreamCapture()
        : m_previous(sf::err().rdbuf(m_buffer.rdbuf()))
    {
    }
    ~ErrorStreamCapture() { sf::err().rdbuf(m_previous); }
    ErrorStreamCapture(const ErrorStreamCapture&) = delete;
    ErrorStreamCapture& operator=(const ErrorStreamCapture&) = delete;

    std::vector<std::string> lines() const
    {
        std::vector<std::string> result;
        std::istringstream text(m_buffer.str());
        for (std::string line; std::getline(text, line);)
        {
            if (!line.empty())
                result.push_back(line);
        }
        return result;
    }

private:
    std::ostringstream m_buffer;
    std::streambuf* m_previous;
};

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string describeObject(const TiledObject& object)
{
    return "object " + quoted(object.name) + " (id " + std::to_string(object.id) + ")";
}

// The game's line names the object first; the checker's line says where already.
std::string withoutObjectName(const std::string& line, const TiledObject& object)
{
    const std::string prefix = GAME_MESSAGE_PREFIX + object.name + "\": ";
    return line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line;
}

bool isDrawnLayer(const std::string& layerName)
{
    return std::any_of(MapName::DRAWN_LAYERS.begin(), MapName::DRAWN_LAYERS.end(),
                       [&](const char* drawn) { return layerName == drawn; });
}

// Wide enough for any sum of two ints a map can give.
using PixelArea = sf::Rect<std::int64_t>;

PixelArea unite(const PixelArea& a, const PixelArea& b)
{
    const std::int64_t left = std::min(a.left, b.left);
    const std::int64_t top = std::min(a.top, b.top);
    const std::int64_t right = std::max(a.left + a.width, b.left + b.width);
    const std::int64_t bottom = std::max(a.top + a.height, b.top + b.height);
    return {left, top, right - left, bottom - top};
}

std::string countOf(int count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string describeSize(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// The player's box is centred on its map position; walls and triggers hang from their top-left.
sf::FloatRect playerBox(const ObjectRect& rect)
{
    return {static_cast<float>(rect.x) - static_cast<float>(rect.width) * 0.5f,
            static_cast<float>(rect.y) - static_cast<float>(rect.height) * 0.5f, static_cast<float>(rect.width),
            static_cast<float>(rect.height)};
}

// Players and spawners stand on their map position; their rectangle is not where they are drawn.
sf::FloatRect positionOf(const ObjectRect& rect)
{
    return {static_cast<float>(rect.x), static_cast<float>(rect.y), 1.f, 1.f};
}

sf::FloatRect cornerBox(const ObjectRect& rect)
{
    return {static_cast<float>(rect.x), static_cast<float>(rect.y), static_cast<float>(rect.width),
            static_cast<float>(rect.height)};
}

} // namespace

bool MapChecker::check(const std::filesystem::path& mapPath)
{
    m_mapPath = mapPath;
    m_baseDirectory = mapPath.parent_path();
    if (!m_map.loadFromFile(mapPath))
    {
        std::ostringstream source;
        source << mapPath << ": ";
        m_loadError = m_map.getError();
        if (m_loadError.compare(0, source.str().size(), source.str()) == 0)
            m_loadError.erase(0, source.str().size());
        report(Severity::Error, "", "cannot be read as a map: " + m_loadError);
        return false;
    }

    checkTilesets();
    for (const TiledLayer& layer : m_map.getLayers())
    {
        checkLayerIsDrawn(layer);
        if (layer.kind == TiledLayerKind::Tile)
            checkTileLayer(layer);
        for (const TiledObject& object : layer.objects)
            checkObject(object);
    }
    checkPlayers();
    return true;
}

int MapChecker::countFindings(Severity severity) const
{
    return static_cast<int>(std::count_if(m_findings.begin(), m_findings.end(),
                                          [severity](const Finding& finding) { return finding.severity == severity; }));
}

int MapChecker::getExitStatus() const
{
    if (!m_loadError.empty())
        return UNREADABLE;
    return countFindings(Severity::Error) > 0 ? HAS_ERRORS : CLEAN;
}

void MapChecker::print(std::ostream& out) const
{
    const std::string file = m_mapPath.filename().string();
    for (const Finding& finding : m_findings)
    {
        std::string line = file + ": ";
        if (!finding.where.empty())
            line += finding.where + ": ";
        line += (finding.severity == Severity::Error ? "error: " : "warning: ") + finding.message;
        // Names and paths come from the map as written; a line break in one must not split the line.
        std::replace_if(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
        out << line << "\n";
    }
}

void MapChecker::printSummary(std::ostream& out) const
{
    out << m_mapPath.filename().string() << ": " << countOf(countFindings(Severity::Error), "error") << ", "
        << countOf(countFindings(Severity::Warning), "warning") << "\n";
}

void MapChecker::checkTilesets()
{
    for (const TiledTileset& tileset : m_map.getTilesets())
    {
        const std::string where = "tileset " + quoted(tileset.name);
        if (tileset.image.empty())
            report(Severity::Error, where, "names no image");
        else if (!imageSize(m_baseDirectory / tileset.image))
            report(Severity::Error, where, "image " + quoted(tileset.image) + " does not load");
    }
}

void MapChecker::checkTileLayer(const TiledLayer& layer)
{
    const sf::Vector2i tileSize(m_map.getTileWidth(), m_map.getTileHeight());
    int flipped = 0;
    int uncovered = 0;
    int outsideImage = 0;
    std::uint32_t firstUncovered = 0;
    for (const std::uint32_t gid : layer.data)
    {
        if (gid == 0)
            continue;
        if (gid & TILE_FLIP_BITS)
        {
            ++flipped;
            continue;
        }
        const auto& tilesets = m_map.getTilesets();
        const auto tileset = std::find_if(tilesets.begin(), tilesets.end(),
                                          [gid](const TiledTileset& candidate) { return candidate.containsGid(gid); });
        if (tileset == tilesets.end())
        {
            if (uncovered++ == 0)
                firstUncovered = gid;
            continue;
        }
        const std::optional<sf::Vector2u> size =
            tileset->image.empty() ? std::nullopt : imageSize(m_baseDirectory / tileset->image);
        sf::IntRect rect;
        if (size && cutTile(static_cast<std::int64_t>(gid) - tileset->firstGid, tileSize, *size, rect) != TileCut::Inside)
            ++outsideImage;
    }

    const std::string where = "layer " + quoted(layer.name);
    if (uncovered > 0)
        report(Severity::Error, where,
               countOf(uncovered, "cell") + " with a tile id no tileset covers (the first is " +
                   std::to_string(firstUncovered) + "), not drawn");
    if (flipped > 0)
        report(Severity::Error, where,
               countOf(flipped, "cell") + " with a flipped or rotated tile, which the game does not draw");
    if (outsideImage > 0)
        report(Severity::Error, where,
               countOf(outsideImage, "cell") + " with a tile beyond its tileset image, not drawn");
}

void MapChecker::checkLayerIsDrawn(const TiledLayer& layer)
{
    if (isDrawnLayer(layer.name))
        return;
    const bool isEmptyObjectLayer = layer.kind == TiledLayerKind::Object && layer.objects.empty();
    if (!isEmptyObjectLayer)
        report(Severity::Warning, "layer " + quoted(layer.name),
               "is loaded but not drawn; the game draws only the layers \"Background\", \"Top\" and \"Objects\"");
}

void MapChecker::checkObject(const TiledObject& object)
{
    if (object.className == "Sprite")
        checkSprite(object);
    else if (object.className == "Collider")
        checkCollider(object);
    else if (object.className == "Trigger")
        checkTrigger(object);
    else if (object.className == "Spawner")
        checkSpawner(object);
    else if (object.className.empty())
        reportAbout(object, Severity::Warning, "has no class; the game ignores it");
    else
        reportAbout(object, Severity::Warning,
                    "has the class " + quoted(object.className) +
                        ", which the game ignores (it knows \"Sprite\", \"Collider\", \"Trigger\" and \"Spawner\")");
}

void MapChecker::checkSprite(const TiledObject& object)
{
    ObjectRect rect;
    SpriteSettings settings;
    const bool built = readReporting(object, [&] {
        return readBoxRect(object, rect) && readSpriteSettings(object, m_baseDirectory, settings);
    });
    if (!built)
        return;
    m_builtObjects.push_back({&object, rect});
    m_spriteSettings[&object] = settings;
    checkInsideMap(object, positionOf(rect));

    if (settings.texturePath.empty())
        return;
    PixelArea area(sf::IntRect(settings.textureRectLeft, settings.textureRectTop, rect.width, rect.height));
    for (const AnimationStrip& strip : PLAYER_ANIMATIONS)
        area = unite(area, PixelArea(sheetAreaOf(strip)));
    checkImageArea(object, "sprite sheet", settings.texturePath, area);
}

void MapChecker::checkCollider(const TiledObject& object)
{
    ObjectRect rect;
    if (!readReporting(object, [&] { return readBoxRect(object, rect); }))
        return;
    m_builtObjects.push_back({&object, rect});
    checkInsideMap(object, cornerBox(rect));
}

void MapChecker::checkTrigger(const TiledObject& object)
{
    ObjectRect rect;
    std::string triggerType;
    const bool built = readReporting(object, [&] {
        if (!readBoxRect(object, rect))
            return false;
        triggerType = readTriggerType(object);
        return true;
    });
    if (!built)
        return;
    m_builtObjects.push_back({&object, rect, triggerKindOf(triggerType) == TriggerKind::Killzone});
    checkInsideMap(object, cornerBox(rect));
}

void MapChecker::checkSpawner(const TiledObject& object)
{
    ObjectRect rect;
    SpawnerSettings settings;
    const bool built = readReporting(object, [&] {
        return readRect(object, rect) && readSpawnerSettings(object, m_baseDirectory, settings);
    });
    if (!built)
        return;
    m_builtObjects.push_back({&object, rect});
    checkInsideMap(object, positionOf(rect));

    if (!settings.hasTexture)
    {
        reportAbout(object, Severity::Error, "has no item texture (\"ItemTexture0\" or \"ItemTexture1\"); it drops nothing");
        return;
    }
    for (int kind = 0; kind < ItemPool::KIND_COUNT; ++kind)
    {
        if (settings.texturePaths[kind].empty())
            continue;
        const sf::IntRect& frame = settings.textureRects[kind];
        const std::string what = std::string(KIND_NAMES[kind]) + " image";
        if (frame.width <= 0 || frame.height <= 0)
            reportAbout(object, Severity::Error,
                        "the " + what + "'s frame is " + describeSize(frame.width, frame.height) +
                            " pixels; set \"TextureWidth" + std::to_string(kind) + "\" and \"TextureHeight" +
                            std::to_string(kind) + "\"");
        else if (frame.width > MAX_FRAME_SIDE || frame.height > MAX_FRAME_SIDE)
            reportAbout(object, Severity::Error,
                        "the " + what + "'s frame is " + describeSize(frame.width, frame.height) +
                            " pixels, larger than any image");
        else
            checkImageArea(object, what, settings.texturePaths[kind], PixelArea(ItemPool::sheetAreaOf(kind, frame)));
    }
}

void MapChecker::checkInsideMap(const TiledObject& object, const sf::FloatRect& area)
{
    const sf::FloatRect map(0.f, 0.f, static_cast<float>(m_map.getWidth() * m_map.getTileWidth()),
                            static_cast<float>(m_map.getHeight() * m_map.getTileHeight()));
    if (!map.intersects(area))
        reportAbout(object, Severity::Warning, "lies outside the map");
}

void MapChecker::checkPlayers()
{
    for (const char* id : MapName::PLAYER_IDS)
    {
        std::vector<const BuiltObject*> players;
        for (const BuiltObject& built : m_builtObjects)
        {
            if (built.object->name == id)
                players.push_back(&built);
        }
        if (players.empty())
        {
            report(Severity::Error, "",
                   std::string("the map has no ") + id + ": the match runs without it and cannot be won");
            continue;
        }
        // The game object manager keeps the last object of an id; the others are lost to the match.
        for (std::size_t i = 0; i + 1 < players.size(); ++i)
            reportAbout(*players[i]->object, Severity::Error,
                        std::string("is one of ") + std::to_string(players.size()) + " objects named " + id +
                            "; the match uses only the last (id " + std::to_string(players.back()->object->id) + ")");
        const BuiltObject& player = *players.back();
        if (player.object->className != "Sprite")
        {
            reportAbout(*player.object, Severity::Error, "is a " + quoted(player.object->className) +
                                                             ", but the match needs a \"Sprite\" for " + id);
            continue;
        }
        checkPlayerStart(player);
        checkPlayerComponents(player);
    }
}

void MapChecker::checkPlayerStart(const BuiltObject& player)
{
    const sf::FloatRect box = playerBox(player.rect);
    for (const BuiltObject& other : m_builtObjects)
    {
        const bool isWall = other.object->className == "Collider";
        if ((isWall || other.isKillzone) && box.intersects(cornerBox(other.rect)))
            reportAbout(*player.object, Severity::Error,
                        std::string("starts inside the ") + (isWall ? "wall " : "killzone ") + describeObject(*other.object));
    }
}

void MapChecker::checkPlayerComponents(const BuiltObject& player)
{
    const SpriteSettings& settings = m_spriteSettings.at(player.object);
    std::vector<std::string> missing;
    if (settings.health < 0)
        missing.push_back("hearts (no \"Health\" of 0 or more)");
    if (!settings.hasInputPlayerIndex)
        missing.push_back("input (no \"InputPlayerIdx\"), so it cannot walk");
    else if (settings.inputPlayerIndex < 0 || settings.inputPlayerIndex >= static_cast<int>(MapName::PLAYER_IDS.size()))
        missing.push_back("input (\"InputPlayerIdx\" " + std::to_string(settings.inputPlayerIndex) +
                          " is not 0 or 1), so it cannot walk");
    if (missing.empty())
        return;
    std::string message = "lacks ";
    for (std::size_t i = 0; i < missing.size(); ++i)
        message += (i > 0 ? " and " : "") + missing[i];
    reportAbout(*player.object, Severity::Error, message);
}

void MapChecker::checkImageArea(const TiledObject& object, const std::string& what,
                                const std::filesystem::path& path, const sf::Rect<std::int64_t>& area)
{
    const std::string file = quoted(path.lexically_relative(m_baseDirectory).generic_string());
    const std::optional<sf::Vector2u> size = imageSize(path);
    if (!size)
    {
        reportAbout(object, Severity::Error, "the " + what + " " + file + " does not load");
        return;
    }
    const std::int64_t right = area.left + area.width;
    const std::int64_t bottom = area.top + area.height;
    const bool fits = area.left >= 0 && area.top >= 0 && right <= size->x && bottom <= size->y;
    if (!fits)
        reportAbout(object, Severity::Error,
                    "the " + what + " " + file + " is " + describeSize(size->x, size->y) +
                        " pixels, too small for the frames the game cuts from it (up to " +
                        describeSize(right, bottom) + ")");
}

std::optional<sf::Vector2u> MapChecker::imageSize(const std::filesystem::path& path)
{
    const std::string key = path.string();
    const auto found = m_imageSizes.find(key);
    if (found != m_imageSizes.end())
        return found->second;
    // SFML explains a failed load on sf::err(); the finding says it in the author's terms instead.
    ErrorStreamCapture quiet;
    sf::Image image;
    std::optional<sf::Vector2u> size;
    if (image.loadFromFile(key))
        size = image.getSize();
    m_imageSizes[key] = size;
    return size;
}

template <typename Read>
bool MapChecker::readReporting(const TiledObject& object, Read read)
{
    ErrorStreamCapture capture;
    const bool built = read();
    for (const std::string& line : capture.lines())
        reportAbout(object, Severity::Error, withoutObjectName(line, object));
    return built;
}

void MapChecker::report(Severity severity, std::string where, std::string message)
{
    m_findings.push_back({severity, std::move(where), std::move(message)});
}

void MapChecker::reportAbout(const TiledObject& object, Severity severity, std::string message)
{
    report(severity, describeObject(object), std::move(message));
}

} // namespace zelk
