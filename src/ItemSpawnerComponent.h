#pragma once
// Puts the items of its pool into play at its game object's position, one attempt per second, each
// slot in turn. A slot whose item is still in play is skipped for that second.

#include "IComponent.h"
#include "ItemPool.h"

#include <SFML/System/Vector2.hpp>

namespace zelk
{

class ItemSpawnerComponent : public IComponent
{
public:
    static constexpr float SPAWN_INTERVAL = 1.f;
    static constexpr int MAX_SIDEWAYS_OFFSET = 20;

    ItemSpawnerComponent(GameObject& gameObject, int poolSize, sf::RenderWindow& renderWindow,
                         std::array<std::string, ItemPool::KIND_COUNT> texturePaths,
                         std::array<sf::IntRect, ItemPool::KIND_COUNT> textureRects,
                         std::array<float, ItemPool::KIND_COUNT> densities,
                         std::array<float, ItemPool::KIND_COUNT> spawnRates, std::string layerName);
    ~ItemSpawnerComponent() override;

    bool init() override;
    // The spawn clock: at most one spawn attempt per frame, the excess time is dropped.
    void update(float deltaTime) override;

    // Launches the item of the next slot at the spawner (velocity in px/s), unless it is in play.
    void spawn(sf::Vector2f velocity);
    // Makes a parked item ready to play at the position (pixels), the way every spawn starts: active,
    // neither held nor thrown, its body enabled, still, floating (gravity 0) and a sensor. The body
    // moves there after the current step. Outside the step only.
    static void putInPlay(GameObject& item, sf::Vector2f position);

    const ItemPool& getPool() const { return m_pool; }

private:
    ItemPool m_pool;
    float m_spawnTimer = 0.f;
    float m_spawnInterval = SPAWN_INTERVAL;
};

} // namespace zelk
