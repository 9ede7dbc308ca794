#pragma once
// Owns one fixture on a rigid body and carries the collision callbacks through which gameplay
// components learn what they touch.
//
// Contract for callbacks (like b2ContactListener's): they run on the main thread inside
// b2World::Step, inside body destruction and inside b2Body::SetEnabled(false); for one contact the
// callbacks of fixture A's collider run before those of fixture B's. The world is locked then: a
// callback must not create or destroy bodies or fixtures, and must not move or switch bodies
// directly; it queues PhysicsManager::deferSetTransform / deferSetEnabled. Both components belong
// to the same object, rigid body added first. Should one be kept alive past the other by a later
// sibling during teardown, neither reaches the other: a collider gone first no longer receives
// contacts, a collider left over has no fixture.

#include "CollisionCategory.h"
#include "IComponent.h"

#include <box2d/box2d.h>

#include <cstdint>
#include <deque>
#include <functional>

namespace zelk
{

class ColliderComponent;
class RigidBodyComponent;

// self: the collider holding the callback; other: the collider it touches.
using CollisionCallback = std::function<void(ColliderComponent& self, ColliderComponent& other)>;
// other: the collider touched.
using ContactAction = std::function<void(ColliderComponent& other)>;

class ColliderComponent : public IComponent
{
public:
    // The fixture definition is prepared by the caller; its user data is set to this collider.
    ColliderComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, b2FixtureDef& fixtureDef);
    ~ColliderComponent() override;

    bool init() override;
    void update(float deltaTime) override;

    // Callbacks run in registration order; there is no removal. One registered while the list runs
    // (kept in a deque, so running callbacks stay in place) runs from the next contact on.
    void registerOnCollisionEnter(CollisionCallback callback);
    void registerOnCollisionExit(CollisionCallback callback);
    // The same, for contacts with colliders of exactly this category (the whole value is compared).
    void registerOnEnterWith(CategoryBits category, ContactAction action);
    void registerOnExitWith(CategoryBits category, ContactAction action);

    // Called by the contact listener; nothing happens while the collider is disabled.
    void onCollisionEnter(ColliderComponent& other);
    void onCollisionExit(ColliderComponent& other);

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

    // Null when no fixture could be made (no body, no usable shape, world busy), or once the body is gone.
    b2Fixture* getFixture() const { return m_fixture; }
    RigidBodyComponent& getRigidBody() const { return m_rigidBody; }

    // The fixture every map object and item starts from: solid, massless, friction 0.2, no bounce,
    // given explicitly so that the game does not change with Box2D's defaults.
    static b2FixtureDef makeFixtureDef(const b2Shape& shape, CategoryBits category,
                                       CategoryBits mask = CollisionCategory::ALL);
    // The one place that turns fixture user data back into a collider; null for foreign fixtures.
    static ColliderComponent* fromFixture(const b2Fixture* fixture);
    // Category bits of the first fixture of this collider's body (0 when there is none). Gameplay
    // recognises triggers by comparing the whole value (1, 2, 4, 22).
    CategoryBits getCategoryBits() const;

private:
    friend class RigidBodyComponent;
    // Told by the rigid body when it goes away first, so nothing here reaches it or its fixture.
    void forgetRigidBody();

    static CollisionCallback onlyWith(CategoryBits category, ContactAction action);
    static void runCallbacks(const std::deque<CollisionCallback>& callbacks, ColliderComponent& self,
                             ColliderComponent& other);

    RigidBodyComponent& m_rigidBody;
    b2Fixture* m_fixture = nullptr;
    std::deque<CollisionCallback> m_onCollisionEnter;
    std::deque<CollisionCallback> m_onCollisionExit;
    bool m_enabled = true;
    bool m_rigidBodyAlive = true;
};

} // namespace zelk
