#include "ItemPool.h"

#include "AnimationKey.h"
#include "AnimationRenderComponent.h"
#include "BombComponent.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameObject.h"
#include "GameObjectCreateEvent.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"
#include "RockComponent.h"
#include "SpriteRenderComponent.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <limits>
#include <random>

namespace zelk
{

int ItemPool::s_itemCounter = 0;

namespace
{

constexpr float ITEM_RADIUS_METRES = 0.5f;
constexpr float EXPLOSION_FORCE = 1000.f;
constexpr float EXPLOSION_RADIUS_PIXELS = 60.f;
// Items touch players (and the plain triggers, which share their category) but pass through
// walls, killzones, the river and each other.
constexpr CategoryBits ITEM_MASK = static_cast<CategoryBits>(
    CollisionCategory::ALL
    & ~(CollisionCategory::ITEM | CollisionCategory::KILLZONE | CollisionCategory::WALL | CollisionCategory::RIVER));
static_assert(ITEM_MASK == 0xFFE1, "the item mask the map format documents");

struct ItemKind
{
    std::string texturePath;
    sf::IntRect textureRect;
    float density;
};

// Uniform in [0, 1] from two 32-bit draws, rounded to float.
float drawUnit(std::mt19937& engine)
{
    const double low = engine();
    const double high = engine();
    return static_cast<float>((low + high * 4294967296.0) / 18446744073709551616.0);
}

int drawKind(std::mt19937& engine, const std::array<float, ItemPool::KIND_COUNT>& thresholds)
{
    const float unit = drawUnit(engine);
    const auto found = std::lower_bound(thresholds.begin(), thresholds.end(), unit);
    // The thresholds always end at 1 or more, so this only guards against surprises.
    if (found == thresholds.end())
        return ItemPool::KIND_COUNT - 1;
    return static_cast<int>(found - thresholds.begin());
}

// The frame sizes come from the map: a huge one must not overflow the int a texture rectangle
// holds. Such a frame lies beyond any image, so it is as good as any other offset there.
int frameOffset(int index, int size)
{
    const std::int64_t offset = static_cast<std::int64_t>(index) * size;
    return static_cast<int>(std::clamp<std::int64_t>(offset, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

Animation bombAnimation(const sf::IntRect& frame, int row, int frameCount, float frameTime, float scale)
{
    Animation animation;
    animation.scale = sf::Vector2f(scale, scale);
    for (int i = 0; i < frameCount; ++i)
        animation.frames.emplace_back(frameOffset(i, frame.width), frameOffset(row, frame.height), frame.width,
                                      frame.height);
    animation.frameTime = frameTime;
    animation.loop = true;
    return animation;
}

void addRockLook(GameObject& item, sf::RenderWindow& renderWindow, const ItemKind& kind,
                 const std::string& layerName)
{
    auto sprite = item.addComponent<SpriteRenderComponent>(item, renderWindow, kind.texturePath, layerName);
    sprite->getSprite().setTextureRect(kind.textureRect);
    sprite->getSprite().setOrigin(kind.textureRect.width * 0.5f, kind.textureRect.height * 0.5f);
}

void addBombLook(GameObject& item, sf::RenderWindow& renderWindow, const ItemKind& kind,
                 const std::string& layerName)
{
    auto animation = item.addComponent<AnimationRenderComponent>(item, renderWindow, layerName, kind.texturePath);
    // Only the frame size counts: the idle frames fill the sheet's first row, the explosion its second.
    animation->addAnimation(AnimationType::BOMB_IDLE, Direction::NONE,
                            bombAnimation(kind.textureRect, 0, ItemPool::BOMB_IDLE_FRAMES, 0.2f, 1.f));
    animation->addAnimation(AnimationType::BOMB_EXPLOSION, Direction::NONE,
                            bombAnimation(kind.textureRect, 1, ItemPool::BOMB_EXPLOSION_FRAMES, 0.1f, 3.f));
    animation->setAnimation(AnimationType::BOMB_IDLE, Direction::NONE);
}

RigidBodyComponent& addParkedBody(GameObject& item)
{
    auto rigidBody = item.addComponent<RigidBodyComponent>(item, b2_dynamicBody);
    // Parked from the start: the body takes no part in the simulation until it is spawned.
    if (b2Body* body = rigidBody->getBody())
    {
        PhysicsManager::assertWorldUnlocked();
        body->SetEnabled(false);
    }
    return *rigidBody;
}

void addCollider(GameObject& item, RigidBodyComponent& rigidBody, float density)
{
    b2CircleShape circle;
    circle.m_radius = ITEM_RADIUS_METRES;
    b2FixtureDef fixture = ColliderComponent::makeFixtureDef(circle, CollisionCategory::ITEM, ITEM_MASK);
    fixture.density = density;
    item.addComponent<ColliderComponent>(item, rigidBody, fixture);
}

std::shared_ptr<GameObject> makeItem(int kindIndex, const ItemKind& kind, int number, sf::RenderWindow& renderWindow,
                                     const std::string& layerName)
{
    const bool isRock = kindIndex == ItemPool::ROCK;
    auto item = std::make_shared<GameObject>((isRock ? "Rock_" : "Bomb_") + std::to_string(number));
    if (isRock)
    {
        addRockLook(*item, renderWindow, kind, layerName);
        RigidBodyComponent& rigidBody = addParkedBody(*item);
        item->addComponent<RockComponent>(*item, rigidBody);
        addCollider(*item, rigidBody, kind.density);
    }
    else
    {
        addBombLook(*item, renderWindow, kind, layerName);
        RigidBodyComponent& rigidBody = addParkedBody(*item);
        item->addComponent<BombComponent>(*item, rigidBody, EXPLOSION_FORCE, EXPLOSION_RADIUS_PIXELS);
        addCollider(*item, rigidBody, kind.density);
    }
    return item;
}

} // namespace

ItemPool::ItemPool(int poolSize, sf::RenderWindow& renderWindow,
                   const std::array<std::string, KIND_COUNT>& texturePaths,
                   const std::array<sf::IntRect, KIND_COUNT>& textureRects,
                   const std::array<float, KIND_COUNT>& densities, const std::array<float, KIND_COUNT>& spawnRates,
                   const std::string& layerName)
{
    const auto slotCount = static_cast<std::size_t>(std::max(poolSize, 0));
    m_items.resize(slotCount);

    const std::array<float, KIND_COUNT> thresholds = kindThresholds(spawnRates);
    std::random_device randomDevice;
    std::mt19937 engine(randomDevice());

    for (auto& slot : m_items)
    {
        const int kindIndex = drawKind(engine, thresholds);
        const ItemKind kind{texturePaths[kindIndex], textureRects[kindIndex], densities[kindIndex]};
        slot = makeItem(kindIndex, kind, s_itemCounter++, renderWindow, layerName);

        slot->initReporting("");
        // Parked until a spawner brings it into play.
        slot->setActive(false);
        GameObjectCreateEvent::announce(slot);
    }
    std::cout << "## pool-size: " << m_items.size() << std::endl;
}

std::shared_ptr<GameObject> ItemPool::takeNextItem()
{
    if (m_items.empty())
        return {};
    const std::size_t slot = m_nextIndex % m_items.size();
    ++m_nextIndex;
    return m_items[slot];
}

sf::IntRect ItemPool::sheetAreaOf(int kind, const sf::IntRect& textureRect)
{
    if (kind == ROCK)
        return textureRect;
    return {0, 0, BOMB_EXPLOSION_FRAMES * textureRect.width, 2 * textureRect.height};
}

std::array<float, ItemPool::KIND_COUNT> ItemPool::kindThresholds(const std::array<float, KIND_COUNT>& spawnRates)
{
    std::array<float, KIND_COUNT> rates{};
    float total = 0.f;
    for (int kind = 0; kind < KIND_COUNT; ++kind)
    {
        // "Not more than 0" also catches NaN.
        rates[kind] = spawnRates[kind] > 0.f ? spawnRates[kind] : 0.f;
        total += rates[kind];
    }

    const bool normalise = total < 1.f;
    if (normalise)
    {
        if (total <= 0.f)
        {
            // No usable rate at all: every slot becomes a rock.
            rates.fill(0.f);
            rates[ROCK] = 1.f;
            total = 1.f;
        }
        for (float& rate : rates)
            rate /= total;
    }

    std::array<float, KIND_COUNT> thresholds{};
    float runningSum = 0.f;
    for (int kind = 0; kind < KIND_COUNT; ++kind)
    {
        runningSum += rates[kind];
        thresholds[kind] = runningSum;
    }
    // Scaled shares may add up to a hair below 1 in single precision; a draw there still needs a kind.
    if (normalise)
        thresholds.back() = std::max(thresholds.back(), 1.f);
    return thresholds;
}

} // namespace zelk
