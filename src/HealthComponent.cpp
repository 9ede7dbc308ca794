#include "HealthComponent.h"

#include "AssetPaths.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameObject.h"

namespace zelk
{

namespace
{
}

HealthComponent::HealthComponent(GameObject& gameObject, int health)
    : IComponent(gameObject)
    , m_health(health)
{
}

HealthComponent::~HealthComponent() = default;

bool HealthComponent::init()
{
    // A missing sound only silences the hit; SFML reports the failed load itself.
    m_hitSound.load(AssetPath::HIT_SOUND);

    if (const auto collider = m_gameObject.getComponent<ColliderComponent>())
    {
        // A contact callback (see ColliderComponent's rule): numbers and a sound, no body.
        collider->registerOnEnterWith(CollisionCategory::KILLZONE, [this](ColliderComponent&) { loseOneHeart(); });
    }
    return true;
}

void HealthComponent::update(float)
{
}

void HealthComponent::setHealth(int health)
{
    m_health = health;
    for (const auto& callback : m_healthCallbacks)
        callback(health, m_gameObject);
}

void HealthComponent::addHealthCallback(HealthCallback callback)
{
    m_healthCallbacks.push_back(std::move(callback));
}

void HealthComponent::loseOneHeart()
{
    setHealth(m_health - 1);
    m_hitSound.playUnlessPlaying();
}

} // namespace zelk
