#pragma once
// Falling off the arena: a killzone contact takes control away, drops the carried item, hands the
// body to gravity with a spin and switches the collider off; after the fall time the player
// reappears at its respawn point and blinks.

#include "IComponent.h"

#include <SFML/System/Vector2.hpp>

namespace zelk
{

class ColliderComponent;
class RigidBodyComponent;

class PlayerFallComponent : public IComponent
{
public:
    PlayerFallComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, sf::Vector2f respawnPosition);
    ~PlayerFallComponent() override;

    bool init() override;
    void update(float deltaTime) override;

    // A contact callback (see ColliderComponent's rule): flags, gravity, rotation mode and torque.
    void startFall();
    // Ends any fall at once and sends the player home, without blinking (match restart). Like the
    // end of a fall it runs outside the world step, so both move the body at once.
    void reset();

    /// For testing.
    bool isFalling() const { return m_isFalling; }
    /// For testing.
    sf::Vector2f getRespawnPosition() const { return m_respawnPosition; }

private:
    // Everything the end of a fall and a reset share: stopped, home, upright, walking, collider on.
    void returnToRespawn();

    RigidBodyComponent* m_rigidBody;
    sf::Vector2f m_respawnPosition;
    bool m_isFalling = false;
    float m_fallTimer = 1.f;
    float m_fallTorque = -30.f;
};

} // namespace zelk
