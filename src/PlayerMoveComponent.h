#pragma once
// Turns one player's keys and left stick into motion of its body (accelerate, soft speed cap,
// constant braking), picks the walking animation by direction, and lets the river drag the player
// downstream with a splash.

#include "IComponent.h"
#include "SoundEffect.h"

#include <SFML/System/Vector2.hpp>

#include <memory>

class b2Body;

namespace zelk
{

class AnimationRenderComponent;
class ColliderComponent;
class RigidBodyComponent;

class PlayerMoveComponent : public IComponent
{
public:
    // Configures the body for walking: no rotation, no gravity.
    PlayerMoveComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, int playerIndex);
    ~PlayerMoveComponent() override;

    bool init() override;
    void update(float deltaTime) override;

    // While false, update does nothing at all: the body keeps whatever velocity it has.
    void setCanMove(bool canMove) { m_canMove = canMove; }
    bool canMove() const { return m_canMove; }
    /// For testing.
    bool isInRiver() const { return m_inRiver; }
    // A falling player's collider is off, so the river's end of contact never arrives; the fall
    // forgets the river instead, or the player would drift downstream after respawning.
    void forgetRiverContact() { m_inRiver = false; }

    /// For testing.
    const sf::Sound& getSplashSound() const { return m_splashSound.getSound(); }

private:
    void enterRiver();

    void applyRiver(b2Body& body, float deltaTime);
    void playSplashOnce();
    sf::Vector2f readInput(float deltaTime, AnimationRenderComponent* animation);
    void applyVelocityChange(b2Body& body, sf::Vector2f change);
    void applyBraking(b2Body& body, float deltaTime);
    void stopWhenSlow(b2Body& body);

    int m_playerIndex;
    bool m_canMove = true;
    float m_speed = 10.f;
    float m_friction = 500.f;
    float m_maxSpeed = 200.f;
    RigidBodyComponent* m_rigidBody;
    sf::Vector2f m_axis;
    float m_deadZone = 20.f;
    bool m_inRiver = false;
    bool m_splashPlayed = false;
    float m_riverMaxDownSpeed = 50.f;
    SoundEffect m_splashSound;
};

} // namespace zelk
