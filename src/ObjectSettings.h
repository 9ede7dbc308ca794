#pragma once
// The property rules of the map's object classes: which custom properties each class reads, their
// types and defaults, and what the game says about values it cannot use. The object factory builds
// game objects from these settings, and the map checker reads maps through the very same rules, so
// an author sees the game's own messages without starting a match.
//
// Messages go to sf::err(), one line each, beginning with "Map object \"<name>\": ".

#include "AnimationKey.h"
#include "ItemPool.h"

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <array>
#include <filesystem>
#include <string>

namespace zelk
{

class TiledObject;

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

// The object's position and size in whole pixels; false (with a message) when unusable.
bool readRect(const TiledObject& object, ObjectRect& rect);
// As readRect, and the rectangle must have an area, as every collision box needs one.
bool readBoxRect(const TiledObject& object, ObjectRect& rect);

// Each returns false when the object must not be built at all; skipped properties keep defaults.
bool readSpriteSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                        SpriteSettings& settings);
bool readSpawnerSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                         SpawnerSettings& settings);
// A trigger's "type", empty when the map leaves it out.
std::string readTriggerType(const TiledObject& object);

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
