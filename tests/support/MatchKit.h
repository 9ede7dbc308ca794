#pragma once
// The match's parts for tests: a scene with the match's managers that runs frames in the match's
// own order, players, walls and triggers made by the map's object factory, items made by a real
// item pool, and plain bodies for the physics components' own tests.

#include "AnimationRenderComponent.h"
#include "AssetPaths.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameObject.h"
#include "EventBus.h"
#include "GameObjectManager.h"
#include "HealthComponent.h"
#include "InputManager.h"
#include "ItemComponent.h"
#include "ItemInteractComponent.h"
#include "ItemPool.h"
#include "ItemSpawnerComponent.h"
#include "MainState.h"
#include "ObjectFactory.h"
#include "PhysicsManager.h"
#include "PlayerFallComponent.h"
#include "PlayerMoveComponent.h"
#include "RigidBodyComponent.h"
#include "RockComponent.h"
#include "ScopedInput.h"
#include "SpriteManager.h"
#include "TestSupport.h"
#include "TiledObject.h"

#include <SFML/System/Err.hpp>
#include <box2d/box2d.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace zelk::test
{

inline float lengthOf(sf::Vector2f vector)
{
    return std::sqrt(vector.x * vector.x + vector.y * vector.y);
}

// Positions come back from metres, so they are compared to a thousandth of a pixel.
inline ::testing::AssertionResult isNear(sf::Vector2f actual, sf::Vector2f expected, float tolerance = 1e-3f)
{
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not within " << tolerance
                                         << " of (" << expected.x << ", " << expected.y << ")";
}

inline sf::Vector2f pixelVelocity(const b2Body& body)
{
    return toPixels(body.GetLinearVelocity());
}

inline b2Body* bodyOf(const GameObject& object)
{
    auto rigidBody = object.getComponent<RigidBodyComponent>();
    return rigidBody ? rigidBody->getBody() : nullptr;
}

inline b2Fixture* fixtureOf(const GameObject& object)
{
    auto collider = object.getComponent<ColliderComponent>();
    return collider ? collider->getFixture() : nullptr;
}

// Sprite sheets for item pools: a 16 x 16 rock and a bomb sheet with 4 idle frames in its first row
// and 8 explosion frames in its second, 16 x 16 each.
class ItemTextures
{
public:
    static constexpr int FRAME = 16;

    ItemTextures()
    {
        m_directory.writeImage("rock.png", FRAME, FRAME, sf::Color(120, 120, 120));
        m_directory.writeImage("bomb.png", 8 * FRAME, 2 * FRAME, sf::Color(40, 40, 200));
    }

    std::array<std::string, 2> paths() const
    {
        return {(m_directory.assets() / "rock.png").string(), (m_directory.assets() / "bomb.png").string()};
    }
    static std::array<sf::IntRect, 2> rects() { return {sf::IntRect(0, 0, FRAME, FRAME), {0, 0, FRAME, FRAME}}; }

private:
    AssetSandbox m_directory{AssetSandbox::Empty{}};
};

// The match's managers, listening from construction to destruction, with the game's default
// bindings and every stick fed to rest unless a test feeds it (a ScopedInput).
class MatchScene
{
public:
    MatchScene()
        : m_sprites(testWindow())
    {
        m_objects.init();
        m_sprites.init();
        m_physics.init();
    }

    ~MatchScene()
    {
        m_physics.shutdown();
        m_sprites.shutdown();
        m_objects.shutdown();
    }

    MatchScene(const MatchScene&) = delete;
    MatchScene& operator=(const MatchScene&) = delete;

    static InputManager& input() { return InputManager::getInstance(); }
    static void setFireButton(unsigned joystick, bool down) { input().setLiveButton(joystick, ControllerButton::FIRE, down); }

    // Holds player 0's fire button for the frames; the next frame lets it go.
    void holdFire(int count, float deltaTime)
    {
        setFireButton(0, true);
        frames(count, deltaTime);
        setFireButton(0, false);
    }

    // The input snapshot the game takes, then the match's frame.
    void frame(float deltaTime)
    {
        input().update();
        MainState::updateWorld(m_objects, m_physics, deltaTime);
    }

    void frames(int count, float deltaTime)
    {
        for (int i = 0; i < count; ++i)
            frame(deltaTime);
    }

    // A frame cut before its world step, for tests that look in between; step() completes it.
    void updateObjects(float deltaTime)
    {
        input().update();
        MainState::updateObjects(m_objects, deltaTime);
    }

    void step(float deltaTime = 1.f / 60.f) { m_physics.update(deltaTime); }

    // Moves a body now (outside any step) and lets one step find the new contacts.
    void teleport(b2Body& body, sf::Vector2f pixels)
    {
        body.SetTransform(toMetres(pixels), body.GetAngle());
        step(0.f);
    }

    GameObjectManager& objects() { return m_objects; }
    SpriteManager& sprites() { return m_sprites; }
    const ItemTextures& itemTextures() const { return m_itemTextures; }

private:
    ScopedInput m_input;
    SpriteManager m_sprites;
    GameObjectManager m_objects;
    PhysicsManager m_physics;
    ItemTextures m_itemTextures;
};

// A custom property of a map object; the value's type (int, float or string) is the property's.
template <typename Value>
TiledProperty property(const std::string& name, Value value)
{
    TiledProperty made;
    made.name = name;
    if constexpr (std::is_same_v<Value, int>)
    {
        made.type = TiledPropertyType::Int;
        made.intValue = value;
    }
    else if constexpr (std::is_same_v<Value, float>)
    {
        made.type = TiledPropertyType::Float;
        made.floatValue = value;
    }
    else
        made.stringValue = value;
    return made;
}

inline TiledObject mapObject(const std::string& className, const std::string& name, sf::Vector2f position,
                             sf::Vector2f size, std::vector<TiledProperty> properties = {})
{
    TiledObject object;
    object.className = className;
    object.name = name;
    object.x = position.x;
    object.y = position.y;
    object.width = size.x;
    object.height = size.y;
    object.properties = std::move(properties);
    return object;
}

// What varies between the map's "Sprite" objects in the tests; by default a player of the arena.
struct PlayerTraits
{
    int health = 3;          // "Health"; negative leaves the property out
    bool texture = true;     // "Texture": "player.png"
    bool controlled = true;  // "InputPlayerIdx"; without it the player cannot walk
    int playerIndex = 0;
};

// A 16 x 16 player centred on the position, made by the factory from the game's asset directory.
inline std::shared_ptr<GameObject> makePlayer(MatchScene& scene, const std::string& id, sf::Vector2f position,
                                              const PlayerTraits& traits = {})
{
    std::vector<TiledProperty> properties;
    if (traits.health >= 0)
        properties.push_back(property("Health", traits.health));
    if (traits.texture)
        properties.push_back(property("Texture", "player.png"));
    if (traits.controlled)
        properties.push_back(property("InputPlayerIdx", traits.playerIndex));
    return createSprite(mapObject("Sprite", id, position, {16.f, 16.f}, properties), "Objects", AssetPath::DIRECTORY,
                        scene.sprites());
}

// A player without hearts or sheet whose walking is switched off (as on the win screen), so that
// only items move it.
inline std::shared_ptr<GameObject> makeStandingPlayer(MatchScene& scene, const std::string& id, sf::Vector2f position,
                                                      int playerIndex)
{
    auto player = makePlayer(scene, id, position, {-1, false, true, playerIndex});
    player->getComponent<PlayerMoveComponent>()->setCanMove(false);
    return player;
}

// A player with its parts at hand.
struct TestPlayer
{
    TestPlayer(MatchScene& scene, const std::string& id, sf::Vector2f position, const PlayerTraits& traits = {})
        : object(makePlayer(scene, id, position, traits))
        , health(object->getComponent<HealthComponent>())
        , animation(object->getComponent<AnimationRenderComponent>())
        , collider(object->getComponent<ColliderComponent>())
        , fall(object->getComponent<PlayerFallComponent>())
        , interact(object->getComponent<ItemInteractComponent>())
        , move(object->getComponent<PlayerMoveComponent>())
    {
    }

    b2Body& body() const { return *bodyOf(*object); }
    sf::Vector2f velocity() const { return pixelVelocity(body()); }
    sf::Vector2f position() const { return toPixels(body().GetPosition()); }
    void setVelocity(sf::Vector2f pixelsPerSecond) const { body().SetLinearVelocity(toMetres(pixelsPerSecond)); }

    std::shared_ptr<GameObject> object;
    std::shared_ptr<HealthComponent> health;
    std::shared_ptr<AnimationRenderComponent> animation;
    std::shared_ptr<ColliderComponent> collider;
    std::shared_ptr<PlayerFallComponent> fall;
    std::shared_ptr<ItemInteractComponent> interact;
    std::shared_ptr<PlayerMoveComponent> move;
};

// A "Trigger" object covering the rectangle whose top-left corner is given; the type ("Killzone",
// "River", or any other) decides its category.
inline std::shared_ptr<GameObject> makeTrigger(MatchScene&, const std::string& id, const std::string& type,
                                               sf::Vector2f topLeft, sf::Vector2f size)
{
    return createTrigger(mapObject("Trigger", id, topLeft, size, {property("type", type)}));
}

inline std::shared_ptr<GameObject> makeWall(MatchScene&, const std::string& id, sf::Vector2f topLeft, sf::Vector2f size)
{
    return createCollider(mapObject("Collider", id, topLeft, size));
}

// For categories no map object has.
inline void setCategory(GameObject& object, CategoryBits category)
{
    b2Filter filter = fixtureOf(object)->GetFilterData();
    filter.categoryBits = category;
    fixtureOf(object)->SetFilterData(filter);
}

// Parked items of one kind (ItemPool::ROCK or ItemPool::BOMB), as a spawner's pool holds them.
inline std::vector<std::shared_ptr<GameObject>> makeItems(MatchScene& scene, int kind, int count)
{
    StreamCapture quiet(std::cout);
    std::array<float, ItemPool::KIND_COUNT> rates{};
    rates[kind] = 1.f;
    ItemPool pool(count, testWindow(), scene.itemTextures().paths(), ItemTextures::rects(), {1.f, 1.f}, rates,
                  "Objects");
    return pool.getItems();
}

// Puts a parked item into play at an exact position the way a spawn starts, without the random
// offset and the launch, and lets a step of no time move it there.
inline void putInPlay(MatchScene& scene, GameObject& item, sf::Vector2f position)
{
    ItemSpawnerComponent::putInPlay(item, position);
    scene.step(0.f);
}

inline std::shared_ptr<GameObject> makeItem(MatchScene& scene, int kind, sf::Vector2f position)
{
    auto item = makeItems(scene, kind, 1).front();
    putInPlay(scene, *item, position);
    return item;
}

inline std::shared_ptr<GameObject> makeRock(MatchScene& scene, sf::Vector2f position)
{
    return makeItem(scene, ItemPool::ROCK, position);
}

// A plain object with a body and optionally one box, for the physics components' own tests. The
// components are owned by the object; the raw pointers die with it.
struct PhysicsObject
{
    std::shared_ptr<GameObject> object;
    RigidBodyComponent* rigidBody = nullptr;
    ColliderComponent* collider = nullptr;

    b2Body* body() const { return rigidBody->getBody(); }
};

struct BoxOptions
{
    float halfWidth = 0.5f;  // metres
    float halfHeight = 0.5f; // metres
    bool sensor = false;
    CategoryBits category = CollisionCategory::PLAYER;
};

// The game's fixture with mass (density 1), so that dynamic boxes fall and can be pushed.
inline b2FixtureDef boxFixtureDef(b2PolygonShape& shape, const BoxOptions& options)
{
    shape.SetAsBox(options.halfWidth, options.halfHeight);
    b2FixtureDef fixtureDef = ColliderComponent::makeFixtureDef(shape, options.category);
    fixtureDef.density = 1.f;
    fixtureDef.isSensor = options.sensor;
    return fixtureDef;
}

inline PhysicsObject makeBody(const std::string& id, sf::Vector2f pixels, b2BodyType type)
{
    PhysicsObject made;
    made.object = std::make_shared<GameObject>(id);
    made.object->setPosition(pixels);
    made.rigidBody = made.object->addComponent<RigidBodyComponent>(*made.object, type).get();
    return made;
}

inline ColliderComponent* addBoxCollider(PhysicsObject& target, const BoxOptions& options = {})
{
    b2PolygonShape shape;
    b2FixtureDef fixtureDef = boxFixtureDef(shape, options);
    return target.object->addComponent<ColliderComponent>(*target.object, *target.rigidBody, fixtureDef).get();
}

inline PhysicsObject makeBox(const std::string& id, sf::Vector2f pixels, b2BodyType type,
                             const BoxOptions& options = {})
{
    PhysicsObject made = makeBody(id, pixels, type);
    made.collider = addBoxCollider(made, options);
    return made;
}

// Writes "<event>:<self>:<other>" for each callback of the collider into the log.
inline void recordCallbacks(ColliderComponent& collider, std::vector<std::string>& log)
{
    collider.registerOnCollisionEnter([&log](ColliderComponent& self, ColliderComponent& other) {
        log.push_back("enter:" + self.getGameObject().getId() + ":" + other.getGameObject().getId());
    });
    collider.registerOnCollisionExit([&log](ColliderComponent& self, ColliderComponent& other) {
        log.push_back("exit:" + self.getGameObject().getId() + ":" + other.getGameObject().getId());
    });
}

// An object whose rigid body the world refused, because it was built inside a collision callback.
// Needs an initialised manager (the world's contact listener). Writes "Error creating rigidbody".
inline std::shared_ptr<GameObject> makeObjectWithRefusedBody(const std::string& id)
{
    std::shared_ptr<GameObject> late;
    auto toucher = makeBox("toucher", {-3000.f, -3000.f}, b2_dynamicBody);
    auto trigger = makeBox("trigger", {-3000.f, -3000.f}, b2_staticBody, {0.5f, 0.5f, true});
    trigger.collider->registerOnCollisionEnter([&late, &id](ColliderComponent&, ColliderComponent&) {
        late = std::make_shared<GameObject>(id);
        late->addComponent<RigidBodyComponent>(*late, b2_dynamicBody);
    });
    // Stepping the world alone keeps the manager's list as it is.
    PhysicsManager::getWorld().Step(1.f / 60.f, PhysicsManager::VELOCITY_ITERATIONS,
                                    PhysicsManager::POSITION_ITERATIONS);
    return late;
}

// Ids of the colliders of the world's first contact, fixture A first.
inline std::pair<std::string, std::string> firstContactIds()
{
    const b2Contact* contact = PhysicsManager::getWorld().GetContactList();
    if (contact == nullptr)
        return {};
    const auto idOf = [](const b2Fixture* fixture) {
        const ColliderComponent* collider = ColliderComponent::fromFixture(fixture);
        return collider != nullptr ? collider->getGameObject().getId() : std::string("<none>");
    };
    return {idOf(contact->GetFixtureA()), idOf(contact->GetFixtureB())};
}

} // namespace zelk::test
