#pragma once
// The map's object classes and their property rules: which classes the game builds, where their
// boxes lie, which custom properties each reads, their types and defaults, and what the game says
// about values it cannot use. The object factory builds game objects from these settings, and the
// map checker reads maps through the very same rules, so an author sees the game's own findings
// without starting a match.
//
// The rules return their findings as data; the game prints them (printFindings), one line each on
// sf::err(), beginning with "Map object \"<name>\": ", and the checker lists them.

#include "AnimationKey.h"
#include "ItemPool.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zelk
{

class TiledObject;

enum class FindingSeverity
{
    Error,
    Warning
};

// One thing the rules say about a map object.
struct ObjectFinding
{
    // The object's name.
    std::string object;
    // The property it is about; empty when about the object as a whole.
    std::string property;
    FindingSeverity severity = FindingSeverity::Error;
    // "property \"Health\" is of type float, expected int; ignored"
    std::string text;
};

using ObjectFindings = std::vector<ObjectFinding>;

// The game's lines for the findings, on sf::err().
void printFindings(const ObjectFindings& findings);

// The classes of map objects the game builds; objects of any other class are left out.
enum class ObjectClass
{
    // Players.
    Sprite,
    // Walls.
    Collider,
    // Areas that stop flying bombs, kill or wash players away.
    Trigger,
    // Where items drop.
    Spawner
};

// Where a class's collision box hangs from the object's map position.
enum class BoxAnchor
{
    // Centred on it (players).
    Centre,
    // Its top-left corner (walls and triggers).
    TopLeft,
    // No box: the object stands on its position alone.
    None
};

struct ObjectClassRule
{
    ObjectClass type;
    // The class as the editor names it, case-sensitive.
    const char* name;
    BoxAnchor anchor;
};

inline constexpr std::array<ObjectClassRule, 4> OBJECT_CLASSES = {{
    {ObjectClass::Sprite, "Sprite", BoxAnchor::Centre},
    {ObjectClass::Collider, "Collider", BoxAnchor::TopLeft},
    {ObjectClass::Trigger, "Trigger", BoxAnchor::TopLeft},
    {ObjectClass::Spawner, "Spawner", BoxAnchor::None},
}};

// The rule of the object's class; nothing for a class the game ignores.
std::optional<ObjectClassRule> objectClassOf(const std::string& className);

// The map object reduced to what the game reads: whole pixels.
struct ObjectRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Defaults are the game's: a property the map leaves out keeps the value given here.
struct SpriteSettings
{
    std::filesystem::path texturePath;
    int textureRectLeft = 0;
    int textureRectTop = 0;
    int inputPlayerIndex = 0;
    bool hasInputPlayerIndex = false;
    float density = 1.0f;
    int health = -1;
    float scale = 1.0f;
};

struct SpawnerSettings
{
    std::array<std::string, ItemPool::KIND_COUNT> texturePaths;
    std::array<sf::IntRect, ItemPool::KIND_COUNT> textureRects;
    std::array<float, ItemPool::KIND_COUNT> densities{};
    std::array<float, ItemPool::KIND_COUNT> spawnRates{};
    bool hasTexture = false;
};

// One animation type of a player's sheet: three columns (down, up, right) of frameCount frames.
struct AnimationStrip
{
    int type;
    int frameCount;
    bool loop;
    float frameTime;
    sf::Vector2i start;
    sf::Vector2i frameSize;
};

// Columns per strip in the sheet: down, up and right (left mirrors right).
constexpr int SHEET_COLUMNS = 3;
// Standing, walking and throwing, as every player sheet lays them out.
inline const std::array<AnimationStrip, 3> PLAYER_ANIMATIONS = {{
    {AnimationType::STANDING, 2, true, 0.2f, {0, 0}, {16, 16}},
    {AnimationType::WALKING, 4, true, 0.2f, {48, 0}, {16, 16}},
    {AnimationType::THROWING, 4, false, 0.1f, {96, 0}, {32, 32}},
}};

// The pixel area of the image the strip's frames are cut from.
sf::IntRect sheetAreaOf(const AnimationStrip& strip);

// Where the box's centre lies from the object's position, in pixels (zero without a box).
sf::Vector2f boxCentreOffset(BoxAnchor anchor, const ObjectRect& rect);
// The box on the map, in pixels (empty, at the position, without a box).
sf::FloatRect boxOnMap(BoxAnchor anchor, const ObjectRect& rect);

// The object's position and size in whole pixels; false (with a finding) when unusable.
bool readRect(const TiledObject& object, ObjectRect& rect, ObjectFindings& findings);
// As readRect, and the rectangle must have an area, as every collision box needs one.
bool readBoxRect(const TiledObject& object, ObjectRect& rect, ObjectFindings& findings);

// Each returns false when the object must not be built at all; skipped properties keep defaults.
bool readSpriteSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                        SpriteSettings& settings, ObjectFindings& findings);
bool readSpawnerSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                         SpawnerSettings& settings, ObjectFindings& findings);
// A trigger's "type", empty when the map leaves it out.
std::string readTriggerType(const TiledObject& object, ObjectFindings& findings);

enum class TriggerKind
{
    // Only stops a flying bomb: any type but the two below, or none.
    Plain,
    Killzone,
    River
};

// What a trigger of that type does; the names are whole and case-sensitive.
TriggerKind triggerKindOf(const std::string& triggerType);

} // namespace zelk
