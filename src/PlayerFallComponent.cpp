#include "PlayerFallComponent.h"

#include "AnimationRenderComponent.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameObject.h"
#include "ItemInteractComponent.h"
#include "PhysicsManager.h"
#include "PlayerMoveComponent.h"
#include "RigidBodyComponent.h"

#include <box2d/box2d.h>

namespace zelk
{

namespace
{
// The first fall is short; every later one (and the one after a restart) takes longer.
const float LATER_FALL_TIME = 2.f;
const float BLINK_DURATION = 1.f;
const float BLINK_INTERVAL = 0.1f;
} // namespace

PlayerFallComponent::PlayerFallComponent(GameObject& gameObject, RigidBodyComponent& rigidBody,
                                         sf::Vector2f respawnPosition)
    : IComponent(gameObject)
    , m_rigidBody(&rigidBody)
    , m_respawnPosition(respawnPosition)
{
}

PlayerFallComponent::~PlayerFallComponent() = default;

bool PlayerFallComponent::init()
{
    if (const auto collider = m_gameObject.getComponent<ColliderComponent>())
    {
        collider->registerOnEnterWith(CollisionCategory::KILLZONE, [this](ColliderComponent&) { startFall(); });
    }
    return true;
}

void PlayerFallComponent::startFall()
{
    m_isFalling = true;

    // Every sibling is optional: a player built without one still falls.
    if (const auto interact = m_gameObject.getComponent<ItemInteractComponent>())
        interact->dropHeldItem();
    if (const auto move = m_gameObject.getComponent<PlayerMoveComponent>())
    {
        move->setCanMove(false);
        move->forgetRiverContact();
    }

    if (b2Body* body = m_rigidBody->getBody())
    {
        body->SetFixedRotation(false);
        body->SetGravityScale(1.f);
        if (body->GetType() == b2_dynamicBody)
        {
            body->SetAwake(true);
            body->ApplyTorque(m_fallTorque, true);
        }
    }

    // No pick-ups, no river and no further killzone contacts while falling.
    if (const auto collider = m_gameObject.getComponent<ColliderComponent>())
        collider->setEnabled(false);
}

void PlayerFallComponent::update(float deltaTime)
{
    if (!m_isFalling)
        return;
    m_fallTimer -= deltaTime;
    if (m_fallTimer > 0.f)
        return;

    returnToRespawn();
    if (const auto animation = m_gameObject.getComponent<AnimationRenderComponent>())
        animation->startBlinking(BLINK_DURATION, BLINK_INTERVAL);
}

void PlayerFallComponent::reset()
{
    returnToRespawn();
}

void PlayerFallComponent::returnToRespawn()
{
    m_isFalling = false;
    m_fallTimer = LATER_FALL_TIME;

    if (b2Body* body = m_rigidBody->getBody())
    {
        if (body->GetType() != b2_staticBody)
            body->SetLinearVelocity(b2Vec2(0.f, 0.f));
        const b2Vec2 respawn = toMetres(m_respawnPosition);
        // Moved now as well, not only after the coming step: this runs outside the step, and the
        // collider is switched back on below. Left where it fell for one more step, the body would
        // meet a killzone it entered in the fall's last step, and that contact would cost a second
        // heart. The deferred move still wins over moves queued before it, such as a restart's.
        PhysicsManager::assertWorldUnlocked();
        body->SetTransform(respawn, 0.f);
        PhysicsManager::deferSetTransform(body, respawn, 0.f);
        // Fixed rotation also stops the spin.
        body->SetFixedRotation(true);
        body->SetGravityScale(0.f);
    }

    if (const auto move = m_gameObject.getComponent<PlayerMoveComponent>())
        move->setCanMove(true);
    if (const auto collider = m_gameObject.getComponent<ColliderComponent>())
        collider->setEnabled(true);
}

} // namespace zelk
