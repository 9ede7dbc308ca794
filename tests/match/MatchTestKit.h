#pragma once
// Building blocks for the match tests: a private game directory with only the assets a test
// writes, and players and triggers built in the real Box2D world the way the map's objects are.

#include "AnimationRenderComponent.h"
#include "ColliderComponent.h"
#include "GameObject.h"
#include "HealthComponent.h"
#include "ItemInteractComponent.h"
#include "PhysicsManager.h"
#include "PlayerFallComponent.h"
#include "PlayerMoveComponent.h"
#include "RigidBodyComponent.h"
#include "TestSupport.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>
#include <box2d/box2d.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace zelk::test
{

// A fresh "<root>/bin" + "<root>/assets" pair; the working directory is "<root>/bin" while alive,
// so the game's "../assets/..." paths reach only what the test wrote.
class GameDirectory
{
public:
    GameDirectory()
        : m_root(makeRoot())
        , m_workingDirectory((std::filesystem::create_directories(m_root / "bin"),
                              std::filesystem::create_directories(m_root / "assets"), m_root / "bin"))
    {
    }

    ~GameDirectory()
    {
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(m_root, ignored);
    }

    GameDirectory(const GameDirectory&) = delete;
    GameDirectory& operator=(const GameDirectory&) = delete;

    std::filesystem::path assets() const { return m_root / "assets"; }

    std::filesystem::path prepare(const std::string& relativePath) const
    {
        const auto path = assets() / relativePath;
        std::filesystem::create_directories(path.parent_path());
        return path;
    }

    // A quiet tone of the given length, long enough for "is it still playing" checks.
    void writeSound(const std::string& relativePath, float seconds = 2.f) const
    {
        const unsigned sampleRate = 22050;
        std::vector<sf::Int16> samples(static_cast<std::size_t>(seconds * static_cast<float>(sampleRate)));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<sf::Int16>(1000.0 * std::sin(static_cast<double>(i) * 0.05));
        sf::SoundBuffer buffer;
        buffer.loadFromSamples(samples.data(), samples.size(), 1, sampleRate);
        buffer.saveToFile(prepare(relativePath).string());
    }

    // A solid rectangle; a black frame of one pixel when framed is set (black becomes transparent).
    void writeImage(const std::string& relativePath, unsigned width, unsigned height, sf::Color color,
                    bool framed = false) const
    {
        sf::Image image;
        image.create(width, height, color);
        if (framed)
        {
            for (unsigned x = 0; x < width; ++x)
            {
                image.setPixel(x, 0, sf::Color::Black);
                image.setPixel(x, height - 1, sf::Color::Black);
            }
        }
        image.saveToFile(prepare(relativePath).string());
    }

    void writeText(const std::string& relativePath, const std::string& text) const
    {
        writeFile(prepare(relativePath), text);
    }

private:
    static std::filesystem::path makeRoot()
    {
        std::random_device device;
        return std::filesystem::temp_directory_path() /
               ("bramblot-match-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
    }

    std::filesystem::path m_root;
    ScopedWorkingDirectory m_workingDirectory;
};

inline b2Vec2 metres(sf::Vector2f pixels)
{
    return {pixels.x * METRES_PER_PIXEL, pixels.y * METRES_PER_PIXEL};
}

inline sf::Vector2f pixelVelocity(const b2Body& body)
{
    return {body.GetLinearVelocity().x * PIXELS_PER_METRE, body.GetLinearVelocity().y * PIXELS_PER_METRE};
}

inline sf::Vector2f pixelPosition(const b2Body& body)
{
    return {body.GetPosition().x * PIXELS_PER_METRE, body.GetPosition().y * PIXELS_PER_METRE};
}

// The player's box, centred on the body like the map's players: 16 x 16 px, category 1, solid.
inline std::shared_ptr<ColliderComponent> addPlayerBox(GameObject& player, RigidBodyComponent& body,
                                                       sf::Vector2f size = {16.f, 16.f})
{
    b2PolygonShape box;
    box.SetAsBox(size.x * METRES_PER_PIXEL * 0.5f, size.y * METRES_PER_PIXEL * 0.5f);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = 1.f;
    fixture.friction = 0.2f;
    fixture.filter.categoryBits = 0x0001;
    fixture.filter.maskBits = 0xFFFF;
    return player.addComponent<ColliderComponent>(player, body, fixture);
}

// A sensor covering the rectangle whose top-left corner is the position, like the map's triggers.
inline std::shared_ptr<GameObject> makeTrigger(const std::string& id, sf::Vector2f topLeft, sf::Vector2f size,
                                               std::uint16_t category)
{
    auto trigger = std::make_shared<GameObject>(id);
    trigger->setPosition(topLeft);
    auto body = trigger->addComponent<RigidBodyComponent>(*trigger, b2_staticBody);
    b2PolygonShape box;
    const b2Vec2 half(size.x * METRES_PER_PIXEL * 0.5f, size.y * METRES_PER_PIXEL * 0.5f);
    box.SetAsBox(half.x, half.y, half, 0.f);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.isSensor = true;
    fixture.filter.categoryBits = category;
    fixture.filter.maskBits = 0xFFFF;
    trigger->addComponent<ColliderComponent>(*trigger, *body, fixture);
    trigger->init();
    return trigger;
}

// Collision categories of the map's objects.
constexpr std::uint16_t PLAYER_CATEGORY = 0x0001;
constexpr std::uint16_t ITEM_CATEGORY = 0x0002;
constexpr std::uint16_t KILLZONE_CATEGORY = 0x0004;
constexpr std::uint16_t WALL_CATEGORY = 0x0008;
constexpr std::uint16_t RIVER_CATEGORY = 0x0016;

// Which of a map player's components to build; all of them by default.
struct PlayerParts
{
    int health = 3;
    bool animation = true;
    bool fall = true;
    bool interact = true;
    bool move = true;
    int playerIndex = 0;
};

// A player built like the map's players, in the same component order: health, animation, body,
// box, falling, item handling, movement.
struct TestPlayer
{
    TestPlayer(const std::string& id, sf::Vector2f position, const PlayerParts& parts = {})
        : object(std::make_shared<GameObject>(id))
    {
        object->setPosition(position);
        if (parts.health >= 0)
            health = object->addComponent<HealthComponent>(*object, parts.health);
        if (parts.animation)
        {
            animation = object->addComponent<AnimationRenderComponent>(*object, testWindow(), "Objects",
                                                                        "../assets/player.png");
            for (int type = 0; type < 3; ++type)
            {
                for (int direction = 0; direction < 4; ++direction)
                {
                    Animation one;
                    one.frames = {sf::IntRect(16 * direction, 16 * type, 16, 16)};
                    animation->addAnimation(type, direction, one);
                }
            }
            animation->setAnimation(0, 1);
        }
        rigidBody = object->addComponent<RigidBodyComponent>(*object, b2_dynamicBody);
        collider = addPlayerBox(*object, *rigidBody);
        if (parts.fall)
            fall = object->addComponent<PlayerFallComponent>(*object, *rigidBody, position);
        if (parts.interact)
            interact = object->addComponent<ItemInteractComponent>(*object, parts.playerIndex);
        if (parts.move)
            move = object->addComponent<PlayerMoveComponent>(*object, *rigidBody, parts.playerIndex);
        object->init();
    }

    b2Body& body() const { return *rigidBody->getBody(); }
    sf::Vector2f velocity() const { return pixelVelocity(body()); }
    sf::Vector2f position() const { return pixelPosition(body()); }
    void setVelocity(sf::Vector2f pixelsPerSecond) const { body().SetLinearVelocity(metres(pixelsPerSecond)); }

    std::shared_ptr<GameObject> object;
    std::shared_ptr<HealthComponent> health;
    std::shared_ptr<AnimationRenderComponent> animation;
    std::shared_ptr<RigidBodyComponent> rigidBody;
    std::shared_ptr<ColliderComponent> collider;
    std::shared_ptr<PlayerFallComponent> fall;
    std::shared_ptr<ItemInteractComponent> interact;
    std::shared_ptr<PlayerMoveComponent> move;
};

// The physics manager of a match, listening from construction to destruction.
class PhysicsScene
{
public:
    PhysicsScene() { m_physics.init(); }
    ~PhysicsScene() { m_physics.shutdown(); }

    void step(float deltaTime = 1.f / 60.f) { m_physics.update(deltaTime); }
    PhysicsManager& manager() { return m_physics; }

private:
    PhysicsManager m_physics;
};

// Moves a body now (outside any step) and lets one step find the new contacts.
inline void teleport(PhysicsScene& scene, b2Body& body, sf::Vector2f pixels)
{
    body.SetTransform(metres(pixels), body.GetAngle());
    scene.step(0.f);
}

} // namespace zelk::test
