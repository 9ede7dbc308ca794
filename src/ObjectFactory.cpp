#include "ObjectFactory.h"

#include "AnimationKey.h"
#include "AnimationRenderComponent.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameObject.h"
#include "GameObjectCreateEvent.h"
#include "HealthComponent.h"
#include "ItemInteractComponent.h"
#include "ItemSpawnerComponent.h"
#include "PhysicsManager.h"
#include "PlayerFallComponent.h"
#include "PlayerMoveComponent.h"
#include "RigidBodyComponent.h"
#include "SpriteManager.h"
#include "TiledLayer.h"
#include "TiledMap.h"
#include "TiledObject.h"
#include "TiledProperty.h"

#include <SFML/System/Err.hpp>
#include <box2d/box2d.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <ostream>

namespace zelk
{

namespace
{

constexpr int SPAWNER_POOL_SIZE = 60;
// How a failed initialisation report of a map object ends.
constexpr const char* MAP_OBJECT = " in TileMap ";
constexpr int ITEM_KIND_COUNT = ItemPool::KIND_COUNT;

// The map object reduced to what the factory reads: whole pixels.
struct ObjectRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

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
    std::array<std::string, ITEM_KIND_COUNT> texturePaths;
    std::array<sf::IntRect, ITEM_KIND_COUNT> textureRects;
    std::array<float, ITEM_KIND_COUNT> densities{};
    std::array<float, ITEM_KIND_COUNT> spawnRates{};
    bool hasTexture = false;
};

std::ostream& reportAbout(const TiledObject& object)
{
    return sf::err() << "Map object \"" << object.name << "\": ";
}

// A property of an unexpected type is skipped, so one typo in the editor costs one value, not the map.
bool hasType(const TiledObject& object, const TiledProperty& property, TiledPropertyType expected)
{
    if (property.type == expected)
        return true;
    reportAbout(object) << "property \"" << property.name << "\" is of type " << toString(property.type)
                        << ", expected " << toString(expected) << "; ignored" << std::endl;
    return false;
}

bool fitsInt(float value)
{
    return std::isfinite(value) && value >= -2147483648.0f && value < 2147483648.0f;
}

bool fitsInt(long value)
{
    return value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
}

bool readInt(const TiledObject& object, const TiledProperty& property, int& value)
{
    if (!hasType(object, property, TiledPropertyType::Int))
        return false;
    value = property.intValue;
    return true;
}

bool readFloat(const TiledObject& object, const TiledProperty& property, float& value)
{
    if (!hasType(object, property, TiledPropertyType::Float))
        return false;
    value = property.floatValue;
    return true;
}

bool readString(const TiledObject& object, const TiledProperty& property, std::string& value)
{
    if (!hasType(object, property, TiledPropertyType::String))
        return false;
    value = property.stringValue;
    return true;
}

// An empty file name would join to the asset directory itself, which no texture loader can use.
bool readFileName(const TiledObject& object, const TiledProperty& property, std::string& value)
{
    std::string fileName;
    if (!readString(object, property, fileName))
        return false;
    if (fileName.empty())
    {
        reportAbout(object) << "property \"" << property.name << "\" names no file; ignored" << std::endl;
        return false;
    }
    value = fileName;
    return true;
}

// Densities feed the mass computation of the physics engine, where a negative or non-finite value
// turns every later step of the body into nonsense.
bool isUsableDensity(const TiledObject& object, const TiledProperty& property, float density)
{
    if (std::isfinite(density) && density >= 0.0f)
        return true;
    reportAbout(object) << "property \"" << property.name
                        << "\" must be a finite number of 0 or more; object not created" << std::endl;
    return false;
}

// Map editors store positions and sizes as floating point; the game works in whole pixels.
bool readRect(const TiledObject& object, ObjectRect& rect)
{
    if (!fitsInt(object.x) || !fitsInt(object.y))
    {
        reportAbout(object) << "position is not a usable pixel value; object not created" << std::endl;
        return false;
    }
    rect.x = static_cast<int>(object.x);
    rect.y = static_cast<int>(object.y);
    rect.width = fitsInt(object.width) ? static_cast<int>(object.width) : 0;
    rect.height = fitsInt(object.height) ? static_cast<int>(object.height) : 0;
    return true;
}

// A collision box without area has no mass and no normals; the physics engine cannot handle it.
bool readBoxRect(const TiledObject& object, ObjectRect& rect)
{
    if (!readRect(object, rect))
        return false;
    if (rect.width > 0 && rect.height > 0)
        return true;
    reportAbout(object) << "width and height must be at least 1 pixel; object not created" << std::endl;
    return false;
}

std::shared_ptr<GameObject> makeGameObject(const TiledObject& object, const ObjectRect& rect)
{
    auto gameObject = std::make_shared<GameObject>(object.name);
    gameObject->setPosition(static_cast<float>(rect.x), static_cast<float>(rect.y));
    return gameObject;
}

// Shared end of every creator: initialise, then hand the object to whoever listens.
std::shared_ptr<GameObject> finishObject(std::shared_ptr<GameObject> gameObject)
{
    GameObjectCreateEvent::initAndAnnounce(gameObject, MAP_OBJECT);
    return gameObject;
}

b2Vec2 halfExtents(const ObjectRect& rect)
{
    return {toMetres(static_cast<float>(rect.width)) * 0.5f, toMetres(static_cast<float>(rect.height)) * 0.5f};
}

// Walls and triggers are positioned by their top-left corner, so the box is shifted by half its size.
std::shared_ptr<GameObject> createStaticBox(const TiledObject& object, const ObjectRect& rect, CategoryBits category,
                                            bool isSensor)
{
    auto gameObject = makeGameObject(object, rect);
    auto rigidBody = gameObject->addComponent<RigidBodyComponent>(*gameObject, b2_staticBody);

    const b2Vec2 half = halfExtents(rect);
    b2PolygonShape box;
    box.SetAsBox(half.x, half.y, half, 0.0f);
    b2FixtureDef fixture = ColliderComponent::makeFixtureDef(box, category);
    fixture.isSensor = isSensor;
    gameObject->addComponent<ColliderComponent>(*gameObject, *rigidBody, fixture);
    return finishObject(gameObject);
}

CategoryBits triggerCategory(const std::string& triggerType)
{
    if (triggerType == "Killzone")
        return CollisionCategory::KILLZONE;
    if (triggerType == "River")
        return CollisionCategory::RIVER;
    return CollisionCategory::PLAIN_TRIGGER;
}

// Returns false when the object must not be built at all.
bool readSpriteSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                        SpriteSettings& settings)
{
    for (const TiledProperty& property : object.properties)
    {
        const std::string& name = property.name;
        if (name == "Texture")
        {
            std::string fileName;
            if (readFileName(object, property, fileName))
                settings.texturePath = baseDirectory / fileName;
        }
        else if (name == "TextureRectLeft")
            readInt(object, property, settings.textureRectLeft);
        else if (name == "TextureRectTop")
            readInt(object, property, settings.textureRectTop);
        else if (name == "InputPlayerIdx")
        {
            if (readInt(object, property, settings.inputPlayerIndex))
                settings.hasInputPlayerIndex = true;
        }
        else if (name == "Density")
        {
            if (readFloat(object, property, settings.density) && !isUsableDensity(object, property, settings.density))
                return false;
        }
        else if (name == "Health")
            readInt(object, property, settings.health);
        else if (name == "Scale")
        {
            float scale = 0.0f;
            if (!readFloat(object, property, scale))
                continue;
            if (std::isfinite(scale) && scale > 0.0f)
                settings.scale = scale;
            else
                reportAbout(object) << "property \"Scale\" must be a finite number greater than 0; "
                                    << "the scale stays " << settings.scale << std::endl;
        }
    }
    return true;
}

void addPlayerAnimations(GameObject& gameObject, const ObjectRect& rect, const SpriteSettings& settings,
                         const std::string& layerName, sf::RenderWindow& window)
{
    auto animation = gameObject.addComponent<AnimationRenderComponent>(gameObject, window, layerName,
                                                                       settings.texturePath.string());
    animation->getSprite().setTextureRect(
        sf::IntRect(settings.textureRectLeft, settings.textureRectTop, rect.width, rect.height));
    animation->getSprite().setOrigin(static_cast<float>(rect.width) * 0.5f, static_cast<float>(rect.height) * 0.5f);
    addDirectionalAnimations(*animation, AnimationType::STANDING, 2, true, 0.2f, {0, 0}, {16, 16}, settings.scale);
    addDirectionalAnimations(*animation, AnimationType::WALKING, 4, true, 0.2f, {48, 0}, {16, 16}, settings.scale);
    addDirectionalAnimations(*animation, AnimationType::THROWING, 4, false, 0.1f, {96, 0}, {32, 32}, settings.scale);
    animation->setAnimation(AnimationType::STANDING, Direction::DOWN);
}

// The spawner's property names are a prefix followed by the item kind, e.g. "ItemDensity1". The kind
// is read like std::stoi would (blanks, sign, digits up to the first other character) but without
// exceptions, and must name one of the two kinds.
bool parseItemKind(const TiledObject& object, const std::string& propertyName, const std::string& rest, int& kind)
{
    const char* begin = rest.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    const bool isNumber = end != begin && errno != ERANGE && fitsInt(value);
    if (isNumber && value >= 0 && value < ITEM_KIND_COUNT)
    {
        kind = static_cast<int>(value);
        return true;
    }
    reportAbout(object) << "property \"" << propertyName << "\" must end in the item kind 0 or 1; ignored"
                        << std::endl;
    return false;
}

void readSpawnerProperty(const TiledObject& object, const TiledProperty& property, const std::string& prefix,
                         int kind, const std::filesystem::path& baseDirectory, SpawnerSettings& settings)
{
    sf::IntRect& rect = settings.textureRects[kind];
    if (prefix == "ItemTexture")
    {
        std::string fileName;
        if (readFileName(object, property, fileName))
        {
            settings.texturePaths[kind] = (baseDirectory / fileName).string();
            settings.hasTexture = true;
        }
    }
    else if (prefix == "TextureHeight")
        readInt(object, property, rect.height);
    else if (prefix == "TextureWidth")
        readInt(object, property, rect.width);
    else if (prefix == "TextureLeft")
        readInt(object, property, rect.left);
    else if (prefix == "TextureTop")
        readInt(object, property, rect.top);
    else if (prefix == "ItemSpawnRate")
    {
        float rate = 0.0f;
        if (!readFloat(object, property, rate))
            return;
        if (std::isfinite(rate))
            settings.spawnRates[kind] = rate;
        else
            reportAbout(object) << "property \"" << property.name << "\" must be a finite number; ignored"
                                << std::endl;
    }
}

// Returns false when the object must not be built at all.
bool readSpawnerSettings(const TiledObject& object, const std::filesystem::path& baseDirectory,
                         SpawnerSettings& settings)
{
    static const std::array<std::string, 7> prefixes = {"ItemTexture",  "TextureHeight", "TextureWidth",
                                                         "TextureLeft",  "TextureTop",    "ItemDensity",
                                                         "ItemSpawnRate"};
    for (const TiledProperty& property : object.properties)
    {
        for (const std::string& prefix : prefixes)
        {
            if (property.name.compare(0, prefix.size(), prefix) != 0)
                continue;
            int kind = 0;
            if (!parseItemKind(object, property.name, property.name.substr(prefix.size()), kind))
                break;
            if (prefix == "ItemDensity")
            {
                float density = 0.0f;
                if (readFloat(object, property, density))
                {
                    if (!isUsableDensity(object, property, density))
                        return false;
                    settings.densities[kind] = density;
                }
            }
            else
                readSpawnerProperty(object, property, prefix, kind, baseDirectory, settings);
            break;
        }
    }
    return true;
}

} // namespace

void loadObjects(const TiledMap& map, const std::filesystem::path& baseDirectory, SpriteManager& spriteManager)
{
    for (const TiledLayer& layer : map.getLayers())
    {
        for (const TiledObject& object : layer.objects)
            createObject(object, layer, baseDirectory, spriteManager);
    }
}

void createObject(const TiledObject& object, const TiledLayer& layer, const std::filesystem::path& baseDirectory,
                  SpriteManager& spriteManager)
{
    if (object.className == "Sprite")
        createSprite(object, layer.name, baseDirectory, spriteManager);
    if (object.className == "Collider")
        createCollider(object);
    if (object.className == "Trigger")
        createTrigger(object);
    if (object.className == "Spawner")
        createSpawner(object, layer.name, spriteManager, baseDirectory);
}

std::shared_ptr<GameObject> createSprite(const TiledObject& object, const std::string& layerName,
                                         const std::filesystem::path& baseDirectory, SpriteManager& spriteManager)
{
    ObjectRect rect;
    SpriteSettings settings;
    if (!readBoxRect(object, rect) || !readSpriteSettings(object, baseDirectory, settings))
        return {};

    auto gameObject = makeGameObject(object, rect);
    if (settings.health >= 0)
        gameObject->addComponent<HealthComponent>(*gameObject, settings.health);
    if (!settings.texturePath.empty())
        addPlayerAnimations(*gameObject, rect, settings, layerName, spriteManager.getRenderWindow());

    auto rigidBody = gameObject->addComponent<RigidBodyComponent>(*gameObject, b2_dynamicBody);
    const b2Vec2 half = halfExtents(rect);
    b2PolygonShape box;
    box.SetAsBox(half.x, half.y);
    b2FixtureDef fixture = ColliderComponent::makeFixtureDef(box, CollisionCategory::PLAYER);
    fixture.density = settings.density;
    gameObject->addComponent<ColliderComponent>(*gameObject, *rigidBody, fixture);

    const sf::Vector2f startPosition(static_cast<float>(rect.x), static_cast<float>(rect.y));
    gameObject->addComponent<PlayerFallComponent>(*gameObject, *rigidBody, startPosition);
    gameObject->addComponent<ItemInteractComponent>(*gameObject, settings.inputPlayerIndex);
    if (settings.hasInputPlayerIndex)
        gameObject->addComponent<PlayerMoveComponent>(*gameObject, *rigidBody, settings.inputPlayerIndex);
    return finishObject(gameObject);
}

std::shared_ptr<GameObject> createCollider(const TiledObject& object)
{
    ObjectRect rect;
    if (!readBoxRect(object, rect))
        return {};
    return createStaticBox(object, rect, CollisionCategory::WALL, false);
}

std::shared_ptr<GameObject> createTrigger(const TiledObject& object)
{
    ObjectRect rect;
    if (!readBoxRect(object, rect))
        return {};
    std::string triggerType;
    for (const TiledProperty& property : object.properties)
    {
        if (property.name == "type")
            readString(object, property, triggerType);
    }
    return createStaticBox(object, rect, triggerCategory(triggerType), true);
}

std::shared_ptr<GameObject> createSpawner(const TiledObject& object, const std::string& layerName,
                                          SpriteManager& spriteManager, const std::filesystem::path& baseDirectory)
{
    ObjectRect rect;
    SpawnerSettings settings;
    if (!readRect(object, rect) || !readSpawnerSettings(object, baseDirectory, settings))
        return {};

    auto gameObject = makeGameObject(object, rect);
    if (settings.hasTexture)
    {
        gameObject->addComponent<ItemSpawnerComponent>(*gameObject, SPAWNER_POOL_SIZE, spriteManager.getRenderWindow(),
                                                       settings.texturePaths, settings.textureRects,
                                                       settings.densities, settings.spawnRates, layerName);
    }
    return finishObject(gameObject);
}

void addDirectionalAnimations(AnimationRenderComponent& animation, int type, int frameCount, bool loop,
                              float frameTime, sf::Vector2i start, sf::Vector2i frameSize, float scale)
{
    // Down, up and right have a column each; left reuses the right column, mirrored.
    enum SheetColumn
    {
        DOWN_COLUMN,
        UP_COLUMN,
        SIDE_COLUMN
    };
    constexpr float AS_DRAWN = 1.0f;
    constexpr float MIRRORED = -1.0f;
    struct Variant
    {
        int direction;
        SheetColumn column;
        float horizontalScale;
    };
    static constexpr std::array<Variant, 4> variants = {{{Direction::DOWN, DOWN_COLUMN, AS_DRAWN},
                                                         {Direction::UP, UP_COLUMN, AS_DRAWN},
                                                         {Direction::RIGHT, SIDE_COLUMN, AS_DRAWN},
                                                         {Direction::LEFT, SIDE_COLUMN, MIRRORED}}};

    if (frameCount < 1)
    {
        sf::err() << "addDirectionalAnimations: animation type " << type << " needs at least one frame" << std::endl;
        return;
    }
    for (const Variant& variant : variants)
    {
        Animation record;
        record.scale = sf::Vector2f(scale * variant.horizontalScale, scale);
        const int left = start.x + variant.column * frameSize.x;
        for (int frame = 0; frame < frameCount; ++frame)
            record.frames.emplace_back(left, start.y + frame * frameSize.y, frameSize.x, frameSize.y);
        record.frameTime = frameTime;
        record.loop = loop;
        animation.addAnimation(type, variant.direction, record);
    }
}

} // namespace zelk
