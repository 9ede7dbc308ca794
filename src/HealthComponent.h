#pragma once
// A player's remaining health. Touching a killzone costs one point; interested parties (the match's
// heart indicator) hear about every change through health callbacks.

#include "IComponent.h"
#include "SoundEffect.h"

#include <functional>
#include <list>
#include <memory>

namespace zelk
{

class ColliderComponent;
class GameObject;

using HealthCallback = std::function<void(int, GameObject&)>;

class HealthComponent : public IComponent
{
public:
    HealthComponent(GameObject& gameObject, int health);
    ~HealthComponent() override;

    // Loads the hit sound and listens for killzone contacts on the object's collider, if any.
    bool init() override;
    void update(float deltaTime) override;

    int getHealth() const { return m_health; }
    // Not clamped. Every call notifies every callback in insertion order, also for an unchanged value.
    void setHealth(int health);
    void addHealthCallback(HealthCallback callback);

    /// For testing.
    const sf::Sound& getHitSound() const { return m_hitSound.getSound(); }

private:
    void loseOneHeart();

    int m_health;
    std::list<HealthCallback> m_healthCallbacks;
    SoundEffect m_hitSound;
};

} // namespace zelk
