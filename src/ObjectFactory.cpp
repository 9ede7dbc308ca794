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
#include "ObjectSettings.h"
#include "PhysicsManager.h"
#include "PlayerFallComponent.h"
#include "PlayerMoveComponent.h"
#include "RigidBodyComponent.h"
#include "SpriteManager.h"
#include "TiledLayer.h"
#include "TiledMap.h"
#include "TiledObject.h"

#include <SFML/System/Err.hpp>
#include <box2d/box2d.h>

#include <array>
#include <cstdint>
#include <optional>

namespace zelk
{

namespace
{

constexpr int SPAWNER_POOL_SIZE = 60;
// How a failed initialisation report of a map object ends.
constexpr const char* MAP_OBJECT = " in TileMap ";

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

// The body stands on the object's position; the box lies around it as the class's anchor says.
b2PolygonShape boxShape(BoxAnchor anchor, const ObjectRect& rect)
{
    const b2Vec2 half = halfExtents(rect);
    b2PolygonShape box;
    box.SetAsBox(half.x, half.y, toMetres(boxCentreOffset(anchor, rect)), 0.0f);
    return box;
}

// The rules' findings, printed to the error output when the reading is over, before anything is built.
struct PrintedFindings
{
    ~PrintedFindings() { printFindings(list); }
    ObjectFindings list;
};

CategoryBits triggerCategory(TriggerKind kind)
{
    switch (kind)
    {
    case TriggerKind::Killzone:
        return CollisionCategory::KILLZONE;
    case TriggerKind::River:
        return CollisionCategory::RIVER;
    case TriggerKind::Plain:
        break;
    }
    return CollisionCategory::PLAIN_TRIGGER;
}

std::shared_ptr<GameObject> createStaticBox(const TiledObject& object, const ObjectRect& rect, CategoryBits category,
                                            bool isSensor)
{
    auto gameObject = makeGameObject(object, rect);
    auto rigidBody = gameObject->addComponent<RigidBodyComponent>(*gameObject, b2_staticBody);

    const b2PolygonShape box = boxShape(BoxAnchor::TopLeft, rect);
    b2FixtureDef fixture = ColliderComponent::makeFixtureDef(box, category);
    fixture.isSensor = isSensor;
    gameObject->addComponent<ColliderComponent>(*gameObject, *rigidBody, fixture);
    return finishObject(gameObject);
}

void addPlayerAnimations(GameObject& gameObject, const ObjectRect& rect, const SpriteSettings& settings,
                         const std::string& layerName, sf::RenderWindow& window)
{
    auto animation = gameObject.addComponent<AnimationRenderComponent>(gameObject, window, layerName,
                                                                       settings.texturePath.string());
    animation->getSprite().setTextureRect(
        sf::IntRect(settings.textureRectLeft, settings.textureRectTop, rect.width, rect.height));
    animation->getSprite().setOrigin(static_cast<float>(rect.width) * 0.5f, static_cast<float>(rect.height) * 0.5f);
    for (const AnimationStrip& strip : PLAYER_ANIMATIONS)
        addDirectionalAnimations(*animation, strip.type, strip.frameCount, strip.loop, strip.frameTime, strip.start,
                                 strip.frameSize, settings.scale);
    animation->setAnimation(AnimationType::STANDING, Direction::DOWN);
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
    const std::optional<ObjectClassRule> rule = objectClassOf(object.className);
    if (!rule)
        return;
    switch (rule->type)
    {
    case ObjectClass::Sprite:
        createSprite(object, layer.name, baseDirectory, spriteManager);
        break;
    case ObjectClass::Collider:
        createCollider(object);
        break;
    case ObjectClass::Trigger:
        createTrigger(object);
        break;
    case ObjectClass::Spawner:
        createSpawner(object, layer.name, spriteManager, baseDirectory);
        break;
    }
}

std::shared_ptr<GameObject> createSprite(const TiledObject& object, const std::string& layerName,
                                         const std::filesystem::path& baseDirectory, SpriteManager& spriteManager)
{
    ObjectRect rect;
    SpriteSettings settings;
    {
        PrintedFindings findings;
        if (!readBoxRect(object, rect, findings.list) ||
            !readSpriteSettings(object, baseDirectory, settings, findings.list))
            return {};
    }

    auto gameObject = makeGameObject(object, rect);
    if (settings.health >= 0)
        gameObject->addComponent<HealthComponent>(*gameObject, settings.health);
    if (!settings.texturePath.empty())
        addPlayerAnimations(*gameObject, rect, settings, layerName, spriteManager.getRenderWindow());

    auto rigidBody = gameObject->addComponent<RigidBodyComponent>(*gameObject, b2_dynamicBody);
    const b2PolygonShape box = boxShape(BoxAnchor::Centre, rect);
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
    {
        PrintedFindings findings;
        if (!readBoxRect(object, rect, findings.list))
            return {};
    }
    return createStaticBox(object, rect, CollisionCategory::WALL, false);
}

std::shared_ptr<GameObject> createTrigger(const TiledObject& object)
{
    ObjectRect rect;
    TriggerKind kind = TriggerKind::Plain;
    {
        PrintedFindings findings;
        if (!readBoxRect(object, rect, findings.list))
            return {};
        kind = triggerKindOf(readTriggerType(object, findings.list));
    }
    return createStaticBox(object, rect, triggerCategory(kind), true);
}

std::shared_ptr<GameObject> createSpawner(const TiledObject& object, const std::string& layerName,
                                          SpriteManager& spriteManager, const std::filesystem::path& baseDirectory)
{
    ObjectRect rect;
    SpawnerSettings settings;
    {
        PrintedFindings findings;
        if (!readRect(object, rect, findings.list) ||
            !readSpawnerSettings(object, baseDirectory, settings, findings.list))
            return {};
    }

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
