#pragma once
// Owns one body in the shared world, created at the owner's position, and puts the body's pose back
// onto the owner every frame (through PhysicsManager::update).
//
// Contract: announced with a RigidBodyCreateEvent when built, whether or not the body exists; the
// end is announced with a RigidBodyDestroyEvent when the owner is marked for delete (next sync) and
// again by the destructor, so no manager ever keeps a destroyed component. Destroying the component
// destroys the body and its fixtures, which ends their contacts and raises exit callbacks; inside
// a contact callback it must not happen (ColliderComponent's contact callback rule says what then).

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

    // This component owns the link to its colliders: a collider joins when it is made and leaves
    // if it goes first; otherwise this component's destructor clears the collider's pointers to it
    // and its fixture, so neither reaches the other whichever goes first.
    void attachCollider(ColliderComponent& collider);
    void detachCollider(ColliderComponent& collider);

private:
    void announceDestruction();
    void collectDebugShapes() const;
    void destroyBody();

    b2Body* m_body = nullptr;
    // Colliders made on this component; their pointers to it are cleared when it goes.
    std::vector<ColliderComponent*> m_colliders;
};

} // namespace zelk
