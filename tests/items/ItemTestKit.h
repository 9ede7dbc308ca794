#pragma once
// Building blocks for the item tests: a match-like frame (input snapshot, events, object updates,
// world step with its deferred commands and body sync) over the real Box2D world, players and items
// built the way the map and the pools build them, and throw-away sprite sheets for the pools.

#include "ColliderComponent.h"
#include "EventBus.h"
#include "GameObject.h"
#include "GameObjectManager.h"
#include "InputManager.h"
#include "ItemInteractComponent.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"
#include "RockComponent.h"

#include <SFML/Graphics/Image.hpp>
#include <box2d/box2d.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

namespace zelk::test
{

constexpr unsigned FIRE_BUTTON = 5;
constexpr std::uint16_t PLAYER_CATEGORY = 0x0001;
constexpr std::uint16_t ITEM_CATEGORY = 0x0002;
constexpr std::uint16_t ITEM_MASK = 0xFFE1;

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

// Velocity of a body in pixels per second.
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

// One match frame in the match's order, with the input snapshot the game takes before it.
class ItemScene
{
public:
    ItemScene()
    {
        InputManager& input = InputManager::getInstance();
        input.clearBindings();
        input.resetState();
        input.clearFedJoysticks();
        input.setKeyBinding(0, "fire", sf::Keyboard::Space);
        input.setKeyBinding(1, "fire", sf::Keyboard::Enter);
        input.setButtonBinding(0, "fire", FIRE_BUTTON);
        input.setButtonBinding(1, "fire", FIRE_BUTTON);
        // Fed values make every stick read 0 unless a test feeds it.
        input.feedVendorId(0, 0);
        m_objects.init();
        m_physics.init();
    }

    ~ItemScene()
    {
        m_physics.shutdown();
        m_objects.shutdown();
        InputManager::getInstance().clearFedJoysticks();
        InputManager::getInstance().resetState();
    }

    ItemScene(const ItemScene&) = delete;
    ItemScene& operator=(const ItemScene&) = delete;

    void frame(float deltaTime)
    {
        updateObjects(deltaTime);
        stepWorld(deltaTime);
    }

    void frames(int count, float deltaTime)
    {
        for (int i = 0; i < count; ++i)
            frame(deltaTime);
    }

    // The first half of a frame: input, events and the update pass, before the world step.
    void updateObjects(float deltaTime)
    {
        InputManager::getInstance().update();
        EventBus::getInstance().processEvents();
        m_objects.update(deltaTime);
    }

    void stepWorld(float deltaTime) { m_physics.update(deltaTime); }

    GameObjectManager& objects() { return m_objects; }

private:
    GameObjectManager m_objects;
    PhysicsManager m_physics;
};

inline void setFireButton(unsigned joystick, bool down)
{
    InputManager::getInstance().setLiveButton(joystick, FIRE_BUTTON, down);
}

inline void setFireKey(sf::Keyboard::Key key, bool down)
{
    InputManager::getInstance().setLiveKey(key, down);
}

// A player as the map builds one: a 16 x 16 px box on a dynamic body, category 1. Gravity is off so
// the player stands still in these tests (walking is not part of them).
inline std::shared_ptr<GameObject> makePlayer(ItemScene& scene, const std::string& id, sf::Vector2f position,
                                              int playerIndex)
{
    auto player = std::make_shared<GameObject>(id);
    player->setPosition(position);
    auto rigidBody = player->addComponent<RigidBodyComponent>(*player, b2_dynamicBody);
    rigidBody->getBody()->SetGravityScale(0.f);
    rigidBody->getBody()->SetFixedRotation(true);

    b2PolygonShape box;
    box.SetAsBox(8.f / PIXELS_PER_METRE, 8.f / PIXELS_PER_METRE);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = 1.f;
    fixture.friction = 0.2f;
    fixture.filter.categoryBits = PLAYER_CATEGORY;
    fixture.filter.maskBits = 0xFFFF;
    player->addComponent<ColliderComponent>(*player, *rigidBody, fixture);
    player->addComponent<ItemInteractComponent>(*player, playerIndex);
    player->init();
    scene.objects().addGameObject(player);
    return player;
}

// The item circle of the pools: 15 px, category 2, passing through everything but players.
inline void addItemCollider(GameObject& item, RigidBodyComponent& rigidBody)
{
    b2CircleShape circle;
    circle.m_radius = 0.5f;
    b2FixtureDef fixture;
    fixture.shape = &circle;
    fixture.density = 1.f;
    fixture.friction = 0.2f;
    fixture.filter.categoryBits = ITEM_CATEGORY;
    fixture.filter.maskBits = ITEM_MASK;
    item.addComponent<ColliderComponent>(item, rigidBody, fixture);
}

// Puts a parked item into play at an exact position, the way a spawn does but without the random
// offset: active, body enabled and still, floating (gravity 0), a sensor.
inline void putInPlay(GameObject& item, sf::Vector2f position)
{
    item.setActive(true);
    b2Body* body = bodyOf(item);
    body->SetEnabled(true);
    body->SetLinearVelocity(b2Vec2(0.f, 0.f));
    body->SetAngularVelocity(0.f);
    body->SetTransform(toMetres(position), 0.f);
    body->SetGravityScale(0.f);
    fixtureOf(item)->SetSensor(true);
    item.setPosition(position);
    if (auto itemComponent = item.getComponent<ItemComponent>())
    {
        itemComponent->setHeld(false);
        itemComponent->setThrown(false);
    }
}

// A rock as the pools build it (home at (0, 0), parked), without the sprite, put into play.
inline std::shared_ptr<GameObject> makeRock(ItemScene& scene, const std::string& id, sf::Vector2f position)
{
    auto rock = std::make_shared<GameObject>(id);
    auto rigidBody = rock->addComponent<RigidBodyComponent>(*rock, b2_dynamicBody);
    rigidBody->getBody()->SetEnabled(false);
    rock->addComponent<RockComponent>(*rock, *rigidBody);
    addItemCollider(*rock, *rigidBody);
    rock->init();
    rock->setActive(false);
    scene.objects().addGameObject(rock);
    putInPlay(*rock, position);
    return rock;
}

// Sprite sheets written for one test: a 16 x 16 rock and a bomb sheet with 4 idle frames in its
// first row and 8 explosion frames in its second, 16 x 16 each.
class ItemTextures
{
public:
    static constexpr int FRAME = 16;

    ItemTextures()
    {
        std::random_device device;
        m_directory = std::filesystem::temp_directory_path() /
                      ("bramblot-items-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
        std::filesystem::create_directories(m_directory);
        writeImage(rock(), FRAME, FRAME, sf::Color(120, 120, 120));
        writeImage(bomb(), 8 * FRAME, 2 * FRAME, sf::Color(40, 40, 200));
    }

    ~ItemTextures()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    ItemTextures(const ItemTextures&) = delete;
    ItemTextures& operator=(const ItemTextures&) = delete;

    std::string rock() const { return (m_directory / "rock.png").string(); }
    std::string bomb() const { return (m_directory / "bomb.png").string(); }
    std::array<std::string, 2> paths() const { return {rock(), bomb()}; }
    static std::array<sf::IntRect, 2> rects()
    {
        return {sf::IntRect(0, 0, FRAME, FRAME), sf::IntRect(0, 0, FRAME, FRAME)};
    }

private:
    static void writeImage(const std::string& path, unsigned width, unsigned height, sf::Color colour)
    {
        sf::Image image;
        image.create(width, height, colour);
        image.saveToFile(path);
    }

    std::filesystem::path m_directory;
};

} // namespace zelk::test
