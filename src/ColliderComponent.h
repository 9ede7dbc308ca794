#pragma once
// Owns one fixture on a rigid body and carries the collision callbacks through which gameplay
// components learn what they touch. Both components belong to the same object, rigid body added
// first; the rigid body owns the link between them (see RigidBodyComponent).

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

    // Contact callbacks, the rule every caller follows (other places point here).
    // When: on the main thread, inside b2World::Step, inside b2World::DestroyBody and inside
    // b2Body::SetEnabled(false); for one contact, fixture A's collider's callbacks run before fixture
    // B's, each collider's in registration order. There is no removal; one registered while the list
    // runs (kept in a deque, so running callbacks stay in place) runs from the next contact on.
    // What: the world is locked (b2World::IsLocked()) while they run.
    // - At once a callback may change what Box2D lets a step change: velocities, gravity scale,
    //   fixed rotation, torque and impulses, a fixture's sensor flag, and the game's own state.
    // - Deferred, through PhysicsManager, is what Box2D locks: moving a body (deferSetTransform) and
    //   switching it on or off (deferSetEnabled); debug and sanitizer builds assert this
    //   (PhysicsManager::assertWorldUnlocked). Nor may a callback create or destroy bodies,
    //   fixtures or the components owning them: built then, a rigid body gets no body and a collider
    //   no fixture (with a message); destroyed then, a rigid body's body goes after the step,
    //   without exit callbacks.
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
    // The rigid body owns the link: it clears m_rigidBody and m_fixture when it goes first.
    friend class RigidBodyComponent;

    static CollisionCallback onlyWith(CategoryBits category, ContactAction action);
    static void runCallbacks(const std::deque<CollisionCallback>& callbacks, ColliderComponent& self,
                             ColliderComponent& other);

    // Null once the rigid body is gone; set by the constructor, cleared only by the rigid body.
    RigidBodyComponent* m_rigidBody;
    b2Fixture* m_fixture = nullptr;
    std::deque<CollisionCallback> m_onCollisionEnter;
    std::deque<CollisionCallback> m_onCollisionExit;
    bool m_enabled = true;
};

} // namespace zelk
