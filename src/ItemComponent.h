#pragma once
// The part every rock and bomb shares: where the item is parked while out of play, how long it may
// lie around, and whether a player carries it or has thrown it.
//
// Contract: the item's spawner brings a parked item back into play (clearing the held flag and
// calling setThrown(false)); the player's ItemInteractComponent writes the held flag, the active
// time and the throw velocity. deactivate() may be called from a component update but not from
// inside a world step: it changes the body through deferred commands, which run after the next step.

#include "IComponent.h"

#include <SFML/System/Vector2.hpp>

namespace zelk
{

class RigidBodyComponent;

class ItemComponent : public IComponent
{
public:
    static constexpr float DEFAULT_LIFETIME = 20.f;

    ItemComponent(GameObject& gameObject, RigidBodyComponent& rigidBody);
    ~ItemComponent() override;

    bool init() override;
    // Counts the time in play while not carried; past the lifetime the item parks itself.
    void update(float deltaTime) override;
    // Takes the item out of play: inactive, body stopped, disabled and moved home.
    virtual void deactivate();
    virtual void setThrown(bool thrown);

    bool isHeld() const { return m_held; }
    void setHeld(bool held) { m_held = held; }
    bool isThrown() const { return m_thrown; }
    /// For testing.
    float getActiveTime() const { return m_activeTime; }
    void setActiveTime(float activeTime) { m_activeTime = activeTime; }
    float getLifetime() const { return m_lifetime; }
    /// For testing.
    sf::Vector2f getThrowVelocity() const { return m_throwVelocity; }
    void setThrowVelocity(sf::Vector2f velocity) { m_throwVelocity = velocity; }
    RigidBodyComponent& getRigidBody() const { return *m_rigidBody; }

protected:
    // True when the item was parked by this update (the caller must then leave it alone).
    bool updateLifetime(float deltaTime);

    float m_activeTime = 0.f;
    float m_lifetime = DEFAULT_LIFETIME;
    bool m_held = false;
    bool m_thrown = false;
    sf::Vector2f m_homePosition;
    RigidBodyComponent* m_rigidBody;
    sf::Vector2f m_throwVelocity;
};

} // namespace zelk
