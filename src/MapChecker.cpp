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

namespace zelk
{

namespace
{

const char* const KIND_NAMES[] = {"rock", "bomb"};
// Far beyond any image a texture can hold; keeps the arithmetic of a sheet's frames within an int.
constexpr int MAX_FRAME_SIDE = 1 << 20;

// Silences sf::err() for its lifetime: SFML explains a failed image load there in its own terms.
class ErrorStreamSilence
{
public:
    ErrorStreamSilence()
        : m_state(sf::err().rdstate())
        , m_previous(sf::err().rdbuf(nullptr))
    {
    }
    ~ErrorStreamSilence()
    {
        sf::err().rdbuf(m_previous);
        sf::err().clear(m_state);
    }
    ErrorStreamSilence(const ErrorStreamSilence&) = delete;
    ErrorStreamSilence& operator=(const ErrorStreamSilence&) = delete;

private:
    std::ios::iostate m_state;
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

// "\"Sprite\", \"Collider\", \"Trigger\" and \"Spawner\""
std::string knownClassNames()
{
    std::string names;
    for (std::size_t i = 0; i < OBJECT_CLASSES.size(); ++i)
    {
        if (i > 0)
            names += i + 1 == OBJECT_CLASSES.size() ? " and " : ", ";
        names += quoted(OBJECT_CLASSES[i].name);
    }
    return names;
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

// Players and spawners stand on their map position; their rectangle is not where they are drawn.
sf::FloatRect positionOf(const ObjectRect& rect)
{
    return {static_cast<float>(rect.x), static_cast<float>(rect.y), 1.f, 1.f};
}

sf::FloatRect wallBox(const ObjectRect& rect)
{
    return boxOnMap(BoxAnchor::TopLeft, rect);
}

} // namespace

bool MapChecker::check(const std::filesystem::path& mapPath)
{
    m_mapPath = mapPath;
    m_baseDirectory = mapPath.parent_path();
    if (!m_map.loadFromFile(mapPath, TiledMap::OnFailure::KeepReadableParts))
    {
        m_loadError = m_map.getError();
        for (const std::string& reason : m_map.getReasons())
            report(Severity::Error, "", "cannot be read as a map: " + reason);
        // What else the author will meet once the map can be read: its objects wait for that, as
        // an unread template or tileset would only make them look wrong.
        checkTiles();
        return false;
    }

    checkTiles();
    for (const TiledLayer& layer : m_map.getLayers())
    {
        checkLayerIsDrawn(layer);
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

void MapChecker::checkTiles()
{
    checkTilesets();
    for (const TiledLayer& layer : m_map.getLayers())
    {
        for (const DrawingNote& note : drawingNotesOf(layer))
            report(note.isLoss ? Severity::Error : Severity::Warning, "layer " + quoted(layer.name), note.text);
        if (layer.kind == TiledLayerKind::Tile)
            checkTileLayer(layer);
    }
}

void MapChecker::checkTilesets()
{
    const sf::Vector2i mapTileSize(m_map.getTileWidth(), m_map.getTileHeight());
    for (const TiledTileset& tileset : m_map.getTilesets())
    {
        const std::string where = "tileset " + quoted(tileset.name);
        for (const DrawingNote& note : drawingNotesOf(tileset, mapTileSize))
            report(note.isLoss ? Severity::Error : Severity::Warning, where, note.text);
        if (tileset.isImageCollection)
            continue;
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
        const TileGrid grid = gridOf(*tileset, tileSize);
        if (size && cutTile(static_cast<std::int64_t>(gid) - tileset->firstGid, grid, *size, rect) != TileCut::Inside)
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
    // An image layer's own note says it is not drawn.
    if (MapName::isDrawnLayer(layer.name) || layer.kind == TiledLayerKind::Image)
        return;
    const bool isEmptyObjectLayer = layer.kind == TiledLayerKind::Object && layer.objects.empty();
    if (!isEmptyObjectLayer)
        report(Severity::Warning, "layer " + quoted(layer.name),
               "is loaded but not drawn; the game draws only the layers \"Background\", \"Top\" and \"Objects\"");
}

void MapChecker::checkObject(const TiledObject& object)
{
    const std::optional<ObjectClassRule> rule = objectClassOf(object.className);
    if (!rule)
    {
        if (object.className.empty())
            reportAbout(object, Severity::Warning, "has no class; the game ignores it");
        else
            reportAbout(object, Severity::Warning,
                        "has the class " + quoted(object.className) + ", which the game ignores (it knows " +
                            knownClassNames() + ")");
        return;
    }
    switch (rule->type)
    {
    case ObjectClass::Sprite:
        checkSprite(object);
        break;
    case ObjectClass::Collider:
        checkCollider(object);
        break;
    case ObjectClass::Trigger:
        checkTrigger(object);
        break;
    case ObjectClass::Spawner:
        checkSpawner(object);
        break;
    }
}

void MapChecker::checkSprite(const TiledObject& object)
{
    ObjectRect rect;
    SpriteSettings settings;
    ObjectFindings findings;
    const bool built =
        readBoxRect(object, rect, findings) && readSpriteSettings(object, m_baseDirectory, settings, findings);
    reportFindings(object, findings);
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
    ObjectFindings findings;
    const bool built = readBoxRect(object, rect, findings);
    reportFindings(object, findings);
    if (!built)
        return;
    m_builtObjects.push_back({&object, rect});
    checkInsideMap(object, wallBox(rect));
}

void MapChecker::checkTrigger(const TiledObject& object)
{
    ObjectRect rect;
    std::string triggerType;
    ObjectFindings findings;
    const bool built = readBoxRect(object, rect, findings);
    if (built)
        triggerType = readTriggerType(object, findings);
    reportFindings(object, findings);
    if (!built)
        return;
    m_builtObjects.push_back({&object, rect, triggerKindOf(triggerType) == TriggerKind::Killzone});
    checkInsideMap(object, wallBox(rect));
}

void MapChecker::checkSpawner(const TiledObject& object)
{
    ObjectRect rect;
    SpawnerSettings settings;
    ObjectFindings findings;
    const bool built =
        readRect(object, rect, findings) && readSpawnerSettings(object, m_baseDirectory, settings, findings);
    reportFindings(object, findings);
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
        const std::optional<ObjectClassRule> rule = objectClassOf(player.object->className);
        if (!rule || rule->type != ObjectClass::Sprite)
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
    const sf::FloatRect box = boxOnMap(BoxAnchor::Centre, player.rect);
    for (const BuiltObject& other : m_builtObjects)
    {
        const std::optional<ObjectClassRule> rule = objectClassOf(other.object->className);
        const bool isWall = rule && rule->type == ObjectClass::Collider;
        if ((isWall || other.isKillzone) && box.intersects(boxOnMap(rule->anchor, other.rect)))
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
    // The finding says it in the author's terms instead.
    ErrorStreamSilence quiet;
    sf::Image image;
    std::optional<sf::Vector2u> size;
    if (image.loadFromFile(key))
        size = image.getSize();
    m_imageSizes[key] = size;
    return size;
}

void MapChecker::reportFindings(const TiledObject& object, const ObjectFindings& findings)
{
    for (const ObjectFinding& finding : findings)
        reportAbout(object, finding.severity, finding.text);
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
