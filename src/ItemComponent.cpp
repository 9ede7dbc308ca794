#include "ItemComponent.h"

#include "GameObject.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

namespace zelk
{

ItemComponent::ItemComponent(GameObject& gameObject, RigidBodyComponent& rigidBody)
    : IComponent(gameObject)
    , m_homePosition(gameObject.getPosition())
    , m_rigidBody(&rigidBody)
{
}

ItemComponent::~ItemComponent() = default;

bool ItemComponent::init()
{
    return true;
}

void ItemComponent::update(float deltaTime)
{
    updateLifetime(deltaTime);
}

bool ItemComponent::updateLifetime(float deltaTime)
{
    if (!m_gameObject.isActive() || m_held)
        return false;
    m_activeTime += deltaTime;
    if (m_activeTime <= m_lifetime)
        return false;
    deactivate();
    return true;
}

void ItemComponent::deactivate()
{
    m_activeTime = 0.f;
    m_gameObject.setActive(false);

    // The body may be in the middle of a contact: switching and moving it waits for the step's end.
    if (b2Body* body = m_rigidBody->getBody())
    {
        if (body->GetType() != b2_staticBody)
            body->SetLinearVelocity(b2Vec2(0.f, 0.f));
        PhysicsManager::deferSetEnabled(body, false);
        PhysicsManager::deferSetTransform(body, toMetres(m_homePosition), body->GetAngle());
    }
    m_gameObject.setPosition(m_homePosition);
}

void ItemComponent::setThrown(bool thrown)
{
    m_thrown = thrown;
    if (thrown)
        m_held = false;
}

} // namespace zelk
