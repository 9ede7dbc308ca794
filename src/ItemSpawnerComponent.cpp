#include "ItemSpawnerComponent.h"

#include "ColliderComponent.h"
#include "GameObject.h"
#include "ItemComponent.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

#include <random>

namespace zelk
{

namespace
{

const sf::Vector2f SPAWN_VELOCITY(0.f, 100.f);

int drawSidewaysOffset()
{
    std::random_device randomDevice;
    std::mt19937 engine(randomDevice());
    std::uniform_int_distribution<int> offset(-ItemSpawnerComponent::MAX_SIDEWAYS_OFFSET,
                                              ItemSpawnerComponent::MAX_SIDEWAYS_OFFSET);
    return offset(engine);
}

b2Body* bodyOf(const GameObject& item)
{
    auto rigidBody = item.getComponent<RigidBodyComponent>();
    return rigidBody ? rigidBody->getBody() : nullptr;
}

} // namespace

ItemSpawnerComponent::ItemSpawnerComponent(GameObject& gameObject, int poolSize, sf::RenderWindow& renderWindow,
                                           std::array<std::string, ItemPool::KIND_COUNT> texturePaths,
                                           std::array<sf::IntRect, ItemPool::KIND_COUNT> textureRects,
                                           std::array<float, ItemPool::KIND_COUNT> densities,
                                           std::array<float, ItemPool::KIND_COUNT> spawnRates, std::string layerName)
    : IComponent(gameObject)
    , m_pool(poolSize, renderWindow, texturePaths, textureRects, densities, spawnRates, layerName)
{
}

ItemSpawnerComponent::~ItemSpawnerComponent() = default;

bool ItemSpawnerComponent::init()
{
    return true;
}

void ItemSpawnerComponent::update(float deltaTime)
{
    m_spawnTimer += deltaTime;
    if (m_spawnTimer < m_spawnInterval)
        return;
    // A long frame still makes a single attempt: items are never launched in bursts.
    m_spawnTimer = 0.f;
    spawn(SPAWN_VELOCITY);
}

void ItemSpawnerComponent::spawn(sf::Vector2f velocity)
{
    std::shared_ptr<GameObject> item = m_pool.takeNextItem();
    // The slot's turn passes whether or not its item can come back now.
    if (!item || item->isActive())
        return;
    const sf::Vector2f spawnerPosition = m_gameObject.getPosition();
    putInPlay(*item, {spawnerPosition.x + static_cast<float>(drawSidewaysOffset()), spawnerPosition.y});
    if (b2Body* body = bodyOf(*item))
        body->SetLinearVelocity(body->GetLinearVelocity() + toMetres(velocity));
}

void ItemSpawnerComponent::putInPlay(GameObject& item, sf::Vector2f position)
{
    item.setActive(true);
    if (auto itemComponent = item.getComponent<ItemComponent>())
    {
        itemComponent->setHeld(false);
        itemComponent->setThrown(false);
    }

    if (b2Body* body = bodyOf(item))
    {
        PhysicsManager::assertWorldUnlocked();
        body->SetEnabled(true);
        if (body->GetType() != b2_staticBody)
        {
            body->SetLinearVelocity(b2Vec2(0.f, 0.f));
            body->SetAngularVelocity(0.f);
        }
        PhysicsManager::deferSetTransform(body, toMetres(position), body->GetAngle());
        body->SetGravityScale(0.f);
    }

    if (auto collider = item.getComponent<ColliderComponent>(); collider && collider->getFixture())
        collider->getFixture()->SetSensor(true);
}

} // namespace zelk
