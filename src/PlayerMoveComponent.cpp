#include "PlayerMoveComponent.h"

#include "AnimationKey.h"
#include "AnimationRenderComponent.h"
#include "AssetPaths.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameNames.h"
#include "GameObject.h"
#include "InputManager.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

#include <box2d/box2d.h>

#include <cmath>
#include <cstdlib>

namespace zelk
{

namespace
{
const float SPLASH_VOLUME = 75.f;
const float RIVER_ACCELERATION = 1550.f;
const float STOP_SPEED = 0.1f;
const float KEY_ACCELERATION_FACTOR = 100.f;


float length(sf::Vector2f vector)
{
    const double x = vector.x;
    const double y = vector.y;
    return static_cast<float>(std::sqrt(x * x + y * y));
}

sf::Vector2f pixelVelocity(const b2Body& body)
{
    return toPixels(body.GetLinearVelocity());
}

bool canChangeVelocity(const b2Body& body)
{
    return body.GetType() != b2_staticBody;
}

void setAnimation(AnimationRenderComponent* animation, int type, int direction)
{
    if (animation)
        animation->setAnimation(type, direction);
}
} // namespace

PlayerMoveComponent::PlayerMoveComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, int playerIndex)
    : IComponent(gameObject)
    , m_playerIndex(playerIndex)
    , m_rigidBody(&rigidBody)
{
    if (b2Body* body = m_rigidBody->getBody())
    {
        body->SetFixedRotation(true);
        body->SetGravityScale(0.f);
    }
}

PlayerMoveComponent::~PlayerMoveComponent() = default;

bool PlayerMoveComponent::init()
{
    // A missing file leaves the splash silent; SFML reports the failed load itself.
    m_splashSound.load(AssetPath::SPLASH_SOUND, SPLASH_VOLUME);

    if (const auto collider = m_gameObject.getComponent<ColliderComponent>())
    {
        // Contact callbacks (see ColliderComponent's rule): flags only.
        collider->registerOnEnterWith(CollisionCategory::RIVER, [this](ColliderComponent&) { enterRiver(); });
        collider->registerOnExitWith(CollisionCategory::RIVER, [this](ColliderComponent&) { m_inRiver = false; });
    }
    return true;
}

void PlayerMoveComponent::enterRiver()
{
    m_inRiver = true;
    m_splashPlayed = false;
}

void PlayerMoveComponent::update(float deltaTime)
{
    if (!m_canMove)
        return;
    b2Body* body = m_rigidBody->getBody();
    if (!body)
        return;

    if (m_inRiver)
        applyRiver(*body, deltaTime);

    // Players built without a sprite sheet have no animation; they still walk.
    const auto animation = m_gameObject.getComponent<AnimationRenderComponent>();
    if (animation)
        animation->setAnimation(AnimationType::STANDING);

    applyVelocityChange(*body, readInput(deltaTime, animation.get()));
    applyBraking(*body, deltaTime);
    stopWhenSlow(*body);
}

void PlayerMoveComponent::applyRiver(b2Body& body, float deltaTime)
{
    if (m_riverMaxDownSpeed > pixelVelocity(body).y && canChangeVelocity(body))
    {
        const b2Vec2 velocity = body.GetLinearVelocity();
        body.SetLinearVelocity(b2Vec2(velocity.x, velocity.y + toMetres(RIVER_ACCELERATION * deltaTime)));
    }
    playSplashOnce();
}

void PlayerMoveComponent::playSplashOnce()
{
    if (m_splashPlayed || m_splashSound.isPlaying())
        return;
    m_splashSound.setPitch(1.f + static_cast<float>(std::rand() % 5) / 10.f);
    m_splashSound.play();
    m_splashPlayed = true;
}

sf::Vector2f PlayerMoveComponent::readInput(float deltaTime, AnimationRenderComponent* animation)
{
    const auto& input = InputManager::getInstance();
    // SFML does not check the joystick number; an index outside its range reads no stick.
    const bool hasJoystick = m_playerIndex >= 0 && m_playerIndex < static_cast<int>(sf::Joystick::Count);
    const auto joystick = static_cast<unsigned>(m_playerIndex);
    m_axis = hasJoystick ? sf::Vector2f(input.getAxisPosition(joystick, sf::Joystick::X),
                                        input.getAxisPosition(joystick, sf::Joystick::Y))
                         : sf::Vector2f();

    // Each test is independent and the last animation call wins: vertical keys override horizontal
    // ones, and the stick overrides the keys.
    const float keyStep = m_speed * KEY_ACCELERATION_FACTOR * deltaTime;
    sf::Vector2f change;
    if (input.isKeyDown(Action::RIGHT, m_playerIndex))
    {
        change.x += keyStep;
        setAnimation(animation, AnimationType::WALKING, Direction::RIGHT);
    }
    if (input.isKeyDown(Action::LEFT, m_playerIndex))
    {
        change.x -= keyStep;
        setAnimation(animation, AnimationType::WALKING, Direction::LEFT);
    }
    if (input.isKeyDown(Action::UP, m_playerIndex))
    {
        change.y -= keyStep;
        setAnimation(animation, AnimationType::WALKING, Direction::UP);
    }
    if (input.isKeyDown(Action::DOWN, m_playerIndex))
    {
        change.y += keyStep;
        setAnimation(animation, AnimationType::WALKING, Direction::DOWN);
    }
    if (std::abs(m_axis.x) > m_deadZone)
    {
        change.x += m_axis.x * m_speed * deltaTime;
        setAnimation(animation, AnimationType::WALKING, m_axis.x > 0.f ? Direction::RIGHT : Direction::LEFT);
    }
    if (std::abs(m_axis.y) > m_deadZone)
    {
        change.y += m_axis.y * m_speed * deltaTime;
        if (std::abs(m_axis.y) > std::abs(m_axis.x))
            setAnimation(animation, AnimationType::WALKING, m_axis.y > 0.f ? Direction::DOWN : Direction::UP);
    }
    return change;
}

void PlayerMoveComponent::applyVelocityChange(b2Body& body, sf::Vector2f change)
{
    // Soft cap: a change that makes the player slower is always taken, one that makes it faster only
    // while the result stays below the cap.
    const sf::Vector2f velocity = pixelVelocity(body);
    const float resulting = length(velocity + change);
    if ((m_maxSpeed > resulting || length(velocity) > resulting) && canChangeVelocity(body))
    {
        const b2Vec2 current = body.GetLinearVelocity();
        body.SetLinearVelocity(current + toMetres(change));
    }
}

void PlayerMoveComponent::applyBraking(b2Body& body, float deltaTime)
{
    const sf::Vector2f velocity = pixelVelocity(body);
    if (velocity == sf::Vector2f() || !canChangeVelocity(body))
        return;
    const float speed = length(velocity);
    const float braking = m_friction * deltaTime;
    // Braking never reverses the motion: a brake larger than the speed stops the player. Letting it
    // overshoot would make a released player jitter back and forth around zero forever.
    if (braking >= speed)
    {
        body.SetLinearVelocity(b2Vec2(0.f, 0.f));
        return;
    }
    const sf::Vector2f braked = velocity - (velocity / speed) * braking;
    body.SetLinearVelocity(toMetres(braked));
}

void PlayerMoveComponent::stopWhenSlow(b2Body& body)
{
    if (length(pixelVelocity(body)) < STOP_SPEED && canChangeVelocity(body))
        body.SetLinearVelocity(b2Vec2(0.f, 0.f));
}

} // namespace zelk
