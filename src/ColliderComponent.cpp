#include "ColliderComponent.h"

#include "GameObject.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

#include <SFML/System/Err.hpp>

#include <cmath>

namespace zelk
{

namespace
{

// Box2D computes the mass of a polygon with density and asserts (aborting the game) when its area
// is zero or not a number, e.g. for a map object of width 0.
bool hasMeasurableShape(const b2FixtureDef& fixtureDef)
{
    if (fixtureDef.shape->GetType() != b2Shape::e_polygon || !(fixtureDef.density > 0.f))
        return true;
    const auto& polygon = *static_cast<const b2PolygonShape*>(fixtureDef.shape);
    float doubleArea = 0.f;
    for (int32 i = 0; i < polygon.m_count; ++i)
    {
        const b2Vec2& from = polygon.m_vertices[i];
        const b2Vec2& to = polygon.m_vertices[(i + 1) % polygon.m_count];
        doubleArea += b2Cross(from, to);
    }
    const float area = 0.5f * doubleArea;
    // Twice the threshold, so rounding in the two area sums cannot disagree about a borderline shape.
    return std::isfinite(area) && area > 2.f * b2_epsilon;
}

} // namespace

ColliderComponent::ColliderComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, b2FixtureDef& fixtureDef)
    : IComponent(gameObject)
    , m_rigidBody(&rigidBody)
{
    rigidBody.attachCollider(*this);
    fixtureDef.userData.pointer = reinterpret_cast<uintptr_t>(this);

    b2Body* body = rigidBody.getBody();
    if (body == nullptr)
    {
        sf::err() << "Collider of " << gameObject.getId() << " has no body to attach to: no fixture created"
                  << std::endl;
        return;
    }
    if (fixtureDef.shape == nullptr)
    {
        sf::err() << "Collider of " << gameObject.getId() << " has no shape: no fixture created" << std::endl;
        return;
    }
    if (!hasMeasurableShape(fixtureDef))
    {
        sf::err() << "Collider of " << gameObject.getId()
                  << " has a shape without finite area for its density: no fixture created" << std::endl;
        return;
    }
    // Box2D refuses (and asserts) while it steps.
    if (PhysicsManager::getWorld().IsLocked())
    {
        sf::err() << "Collider of " << gameObject.getId()
                  << " created during a physics step: no fixture created" << std::endl;
        return;
    }
    m_fixture = body->CreateFixture(&fixtureDef);
}

ColliderComponent::~ColliderComponent()
{
    // Normally the rigid body went first (it comes first in the object) and cleared the link.
    if (m_rigidBody == nullptr)
        return;
    // The body outlives this collider: its fixture keeps simulating but must no longer lead
    // contacts back here.
    if (m_fixture != nullptr)
        m_fixture->GetUserData().pointer = 0;
    m_rigidBody->detachCollider(*this);
}

bool ColliderComponent::init()
{
    return true;
}

void ColliderComponent::update(float /*deltaTime*/)
{
}

void ColliderComponent::registerOnCollisionEnter(CollisionCallback callback)
{
    m_onCollisionEnter.push_back(std::move(callback));
}

void ColliderComponent::registerOnCollisionExit(CollisionCallback callback)
{
    m_onCollisionExit.push_back(std::move(callback));
}

void ColliderComponent::registerOnEnterWith(CategoryBits category, ContactAction action)
{
    registerOnCollisionEnter(onlyWith(category, std::move(action)));
}

void ColliderComponent::registerOnExitWith(CategoryBits category, ContactAction action)
{
    registerOnCollisionExit(onlyWith(category, std::move(action)));
}

b2FixtureDef ColliderComponent::makeFixtureDef(const b2Shape& shape, CategoryBits category, CategoryBits mask)
{
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.friction = 0.2f;
    fixture.restitution = 0.0f;
    fixture.restitutionThreshold = 1.0f;
    fixture.density = 0.0f;
    fixture.isSensor = false;
    fixture.filter.categoryBits = category;
    fixture.filter.maskBits = mask;
    fixture.filter.groupIndex = 0;
    return fixture;
}

CollisionCallback ColliderComponent::onlyWith(CategoryBits category, ContactAction action)
{
    return [category, action = std::move(action)](ColliderComponent&, ColliderComponent& other) {
        if (other.getCategoryBits() == category)
            action(other);
    };
}

void ColliderComponent::onCollisionEnter(ColliderComponent& other)
{
    if (m_enabled)
        runCallbacks(m_onCollisionEnter, *this, other);
}

void ColliderComponent::onCollisionExit(ColliderComponent& other)
{
    if (m_enabled)
        runCallbacks(m_onCollisionExit, *this, other);
}

ColliderComponent* ColliderComponent::fromFixture(const b2Fixture* fixture)
{
    if (fixture == nullptr)
        return nullptr;
    // Box2D 2.4 offers no const accessor for the user data.
    return reinterpret_cast<ColliderComponent*>(const_cast<b2Fixture*>(fixture)->GetUserData().pointer);
}

CategoryBits ColliderComponent::getCategoryBits() const
{
    const b2Body* body = m_rigidBody != nullptr ? m_rigidBody->getBody() : nullptr;
    if (body == nullptr)
        return 0;
    const b2Fixture* first = body->GetFixtureList();
    return first != nullptr ? first->GetFilterData().categoryBits : 0;
}

void ColliderComponent::runCallbacks(const std::deque<CollisionCallback>& callbacks, ColliderComponent& self,
                                     ColliderComponent& other)
{
    // By index over the length at the start: a callback registered meanwhile waits for the next contact.
    const std::size_t count = callbacks.size();
    for (std::size_t i = 0; i < count; ++i)
        callbacks[i](self, other);
}

} // namespace zelk
