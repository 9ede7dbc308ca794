#pragma once
// Owns one body in the shared world, created at the owner's position, and puts the body's pose back
// onto the owner every frame (through PhysicsManager::update).
//
// Contract: announced with a RigidBodyCreateEvent when built, whether or not the body exists; the
// end is announced with a RigidBodyDestroyEvent when the owner is marked for delete (next sync) and
// again by the destructor, so no manager ever keeps a destroyed component. Destroying the component
// destroys the body and its fixtures, which ends their contacts and raises exit callbacks; it must
// therefore not happen inside a collision callback (if it does, the body is destroyed after the
// step, without callbacks).

#include "IComponent.h"

#include <box2d/box2d.h>

#include <vector>

namespace zelk
{

class ColliderComponent;

class RigidBodyComponent : public IComponent
{
public:
    RigidBodyComponent(GameObject& gameObject, b2BodyType bodyType);
    ~RigidBodyComponent() override;

    bool init() override;
    void update(float deltaTime) override;

    // Copies the body's pose onto the owner and collects the debug overlay; nothing for a
    // disabled body.
    void syncBody();
    b2Body* getBody() const { return m_body; }

private:
    friend class ColliderComponent;
    void attachCollider(ColliderComponent& collider);
    void detachCollider(ColliderComponent& collider);

    void announceDestruction();
    void collectDebugShapes() const;
    void destroyBody();

    b2Body* m_body = nullptr;
    // Colliders whose fixtures live on m_body; told when the body goes away.
    std::vector<ColliderComponent*> m_colliders;
};

} // namespace zelk
