#include "RigidBodyComponent.h"

#include "ColliderComponent.h"
#include "DebugDraw.h"
#include "EventBus.h"
#include "GameObject.h"
#include "PhysicsManager.h"
#include "RigidBodyCreateEvent.h"
#include "RigidBodyDestroyEvent.h"

#include <SFML/System/Err.hpp>

#include <algorithm>
#include <limits>

namespace zelk
{

RigidBodyComponent::RigidBodyComponent(GameObject& gameObject, b2BodyType bodyType)
    : IComponent(gameObject)
{
    b2BodyDef bodyDef;
    bodyDef.type = bodyType;
    bodyDef.position = toMetres(gameObject.getPosition());

    b2World& world = PhysicsManager::getWorld();
    // Box2D refuses (and asserts) while it steps or for a position that is not a number; ask first
    // instead of letting it abort the game.
    if (!bodyDef.position.IsValid())
        sf::err() << "Error creating rigidbody: " << gameObject.getId() << " has no finite position" << std::endl;
    else if (world.IsLocked())
        sf::err() << "Error creating rigidbody" << std::endl;
    else
        m_body = world.CreateBody(&bodyDef);

    EventBus::getInstance().fireEvent(std::make_shared<RigidBodyCreateEvent>(*this));
}

RigidBodyComponent::~RigidBodyComponent()
{
    destroyBody();
    for (ColliderComponent* collider : m_colliders)
    {
        collider->m_rigidBody = nullptr;
        collider->m_fixture = nullptr;
    }
    // The owner may be dropped without having been marked for delete (e.g. replaced in the
    // registry); the manager must not keep a pointer to this component either way.
    announceDestruction();
}

bool RigidBodyComponent::init()
{
    return true;
}

void RigidBodyComponent::update(float /*deltaTime*/)
{
}

void RigidBodyComponent::syncBody()
{
    if (m_body == nullptr || !m_body->IsEnabled())
        return;

    if (m_gameObject.isMarkedForDelete())
        announceDestruction();

    m_gameObject.setPosition(toPixels(m_body->GetPosition()));
    m_gameObject.setRotation(toDegrees(m_body->GetAngle()));
    collectDebugShapes();
}

void RigidBodyComponent::attachCollider(ColliderComponent& collider)
{
    m_colliders.push_back(&collider);
}

void RigidBodyComponent::detachCollider(ColliderComponent& collider)
{
    m_colliders.erase(std::remove(m_colliders.begin(), m_colliders.end(), &collider), m_colliders.end());
}

void RigidBodyComponent::announceDestruction()
{
    EventBus::getInstance().fireEvent(std::make_shared<RigidBodyDestroyEvent>(*this));
}

void RigidBodyComponent::collectDebugShapes() const
{
    constexpr float largest = std::numeric_limits<float>::max();
    b2AABB bounds;
    bounds.lowerBound = b2Vec2(largest, largest);
    bounds.upperBound = b2Vec2(-largest, -largest);

    DebugDraw& debugDraw = DebugDraw::getInstance();
    const b2Color green(0.f, 1.f, 0.f, 1.f);
    for (const b2Fixture* fixture = m_body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
    {
        bounds.Combine(fixture->GetAABB(0));
        if (fixture->GetType() == b2Shape::e_polygon)
            debugDraw.drawPolygonShape(*static_cast<const b2PolygonShape*>(fixture->GetShape()), m_gameObject, green);
    }
    debugDraw.drawAABB(bounds, sf::Color::Green);
    debugDraw.DrawTransform(m_body->GetTransform());
}

void RigidBodyComponent::destroyBody()
{
    if (m_body == nullptr)
        return;
    b2Body* body = m_body;
    b2World& world = PhysicsManager::getWorld();
    if (world.IsLocked())
    {
        // Destroyed from inside a collision callback, against the contract. The colliders are about
        // to go too, so their fixtures must stop pointing at them; the body itself goes after the step.
        for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
            fixture->GetUserData().pointer = 0;
        PhysicsManager::discardDeferredActions(body);
        PhysicsManager::deferDestroyBody(body);
    }
    else
    {
        // Ends the fixtures' contacts, so both sides still get their exit callbacks here.
        world.DestroyBody(body);
        // Commands queued for it, even by those exit callbacks, must not reach a freed body.
        PhysicsManager::discardDeferredActions(body);
    }
    m_body = nullptr;
}

} // namespace zelk
