#pragma once
// Builders for physics tests: real game objects with real bodies and box fixtures in the one world.

#include "ColliderComponent.h"
#include "GameObject.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

#include <box2d/box2d.h>

#include <SFML/System/Vector2.hpp>

#include <memory>
#include <string>
#include <vector>

namespace zelk::test
{

// The components are owned by the object; the raw pointers die with it.
struct PhysicsObject
{
    std::shared_ptr<GameObject> object;
    RigidBodyComponent* rigidBody = nullptr;
    ColliderComponent* collider = nullptr;

    b2Body* body() const { return rigidBody->getBody(); }
};

struct BoxOptions
{
    float halfWidth = 0.5f;  // metres
    float halfHeight = 0.5f; // metres
    bool sensor = false;
    std::uint16_t category = 0x0001;
};

inline b2FixtureDef boxFixtureDef(b2PolygonShape& shape, const BoxOptions& options)
{
    shape.SetAsBox(options.halfWidth, options.halfHeight);
    b2FixtureDef fixtureDef;
    fixtureDef.shape = &shape;
    fixtureDef.density = 1.f;
    fixtureDef.isSensor = options.sensor;
    fixtureDef.filter.categoryBits = options.category;
    return fixtureDef;
}

inline PhysicsObject makeBody(const std::string& id, sf::Vector2f pixels, b2BodyType type)
{
    PhysicsObject made;
    made.object = std::make_shared<GameObject>(id);
    made.object->setPosition(pixels);
    made.rigidBody = made.object->addComponent<RigidBodyComponent>(*made.object, type).get();
    return made;
}

inline ColliderComponent* addBoxCollider(PhysicsObject& target, const BoxOptions& options = {})
{
    b2PolygonShape shape;
    b2FixtureDef fixtureDef = boxFixtureDef(shape, options);
    return target.object->addComponent<ColliderComponent>(*target.object, *target.rigidBody, fixtureDef).get();
}

inline PhysicsObject makeBox(const std::string& id, sf::Vector2f pixels, b2BodyType type,
                             const BoxOptions& options = {})
{
    PhysicsObject made = makeBody(id, pixels, type);
    made.collider = addBoxCollider(made, options);
    return made;
}

// Writes "<event>:<self>:<other>" for each callback of the collider into the log.
inline void recordCallbacks(ColliderComponent& collider, std::vector<std::string>& log)
{
    collider.registerOnCollisionEnter([&log](ColliderComponent& self, ColliderComponent& other) {
        log.push_back("enter:" + self.getGameObject().getId() + ":" + other.getGameObject().getId());
    });
    collider.registerOnCollisionExit([&log](ColliderComponent& self, ColliderComponent& other) {
        log.push_back("exit:" + self.getGameObject().getId() + ":" + other.getGameObject().getId());
    });
}

// An object whose rigid body the world refused, because it was built inside a collision callback.
// Needs an initialised manager (the world's contact listener). Writes "Error creating rigidbody".
inline std::shared_ptr<GameObject> makeObjectWithRefusedBody(const std::string& id, PhysicsManager& listening)
{
    std::shared_ptr<GameObject> late;
    auto toucher = makeBox("toucher", {-3000.f, -3000.f}, b2_dynamicBody);
    auto trigger = makeBox("trigger", {-3000.f, -3000.f}, b2_staticBody, {0.5f, 0.5f, true, 0x0004});
    trigger.collider->registerOnCollisionEnter([&late, &id](ColliderComponent&, ColliderComponent&) {
        late = std::make_shared<GameObject>(id);
        late->addComponent<RigidBodyComponent>(*late, b2_dynamicBody);
    });
    // Stepping the world alone keeps the manager's list as it is.
    (void)listening;
    PhysicsManager::getWorld().Step(1.f / 60.f, 8, 3);
    return late;
}

// Ids of the colliders of the world's first contact, fixture A first.
inline std::pair<std::string, std::string> firstContactIds()
{
    const b2Contact* contact = PhysicsManager::getWorld().GetContactList();
    if (contact == nullptr)
        return {};
    const auto idOf = [](const b2Fixture* fixture) {
        const ColliderComponent* collider = ColliderComponent::fromFixture(fixture);
        return collider != nullptr ? collider->getGameObject().getId() : std::string("<none>");
    };
    return {idOf(contact->GetFixtureA()), idOf(contact->GetFixtureB())};
}

} // namespace zelk::test
