#include "PhysicsManager.h"

#include "ColliderComponent.h"
#include "RigidBodyCreateEvent.h"
#include "RigidBodyDestroyEvent.h"
#include "RigidBodyComponent.h"

#include <SFML/System/Err.hpp>

#include <algorithm>
#include <cassert>
#include <cmath>

namespace zelk
{

namespace
{

constexpr std::size_t DEFERRED_COMMANDS_RESERVED = 256;

// Installed in place of a manager that goes away, so the world never calls a destroyed listener.
b2ContactListener s_silentListener;

} // namespace

std::shared_ptr<b2World> PhysicsManager::s_world = std::make_shared<b2World>(b2Vec2(0.f, 9.8f));
std::vector<DeferredBodyCommand> PhysicsManager::s_deferredActions;
std::vector<DeferredBodyCommand> PhysicsManager::s_runningBatch;
PhysicsManager* PhysicsManager::s_contactListener = nullptr;

b2World& PhysicsManager::getWorld()
{
    return *s_world;
}

PhysicsManager::~PhysicsManager()
{
    if (m_createSubscription.isActive())
        shutdown();
    if (s_contactListener == this)
    {
        s_world->SetContactListener(&s_silentListener);
        s_contactListener = nullptr;
    }
}

void PhysicsManager::init()
{
    s_world->SetContactListener(this);
    s_contactListener = this;
    // Room for the commands of a busy frame (every carried, spawned and parked item), so the
    // queues do not grow during the first frames of play.
    s_deferredActions.reserve(DEFERRED_COMMANDS_RESERVED);
    s_runningBatch.reserve(DEFERRED_COMMANDS_RESERVED);

    m_createSubscription = Subscription(RigidBodyCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
        if (auto* created = dynamic_cast<RigidBodyCreateEvent*>(event.get()))
            addRigidBody(created->getData());
    });
    m_destroySubscription = Subscription(RigidBodyDestroyEvent::Type, [this](std::shared_ptr<IEvent> event) {
        if (auto* destroyed = dynamic_cast<RigidBodyDestroyEvent*>(event.get()))
            removeRigidBody(destroyed->getData());
    });
}

void PhysicsManager::update(float dt)
{
    // A bad frame time must not poison every body's state with NaN or run time backwards.
    const float timeStep = std::isfinite(dt) && dt > 0.f ? dt : 0.f;
    s_world->Step(timeStep, VELOCITY_ITERATIONS, POSITION_ITERATIONS);
    runDeferredActions();
    syncBodies();
}

void PhysicsManager::shutdown()
{
    m_createSubscription.reset();
    m_destroySubscription.reset();
    m_rigidBodies.clear();
    discardDeferredActionsKeepingDestruction();
}

void PhysicsManager::deferSetTransform(b2Body* body, const b2Vec2& position, float angle)
{
    // A NaN or infinite pose would spread through the broad-phase and every contact of the body.
    if (!position.IsValid() || !b2IsValid(angle))
    {
        sf::err() << "Deferred transform with a non-finite position or angle ignored" << std::endl;
        return;
    }
    queue({DeferredBodyCommand::Kind::SetTransform, body, position, angle, false});
}

void PhysicsManager::deferSetEnabled(b2Body* body, bool enabled)
{
    queue({DeferredBodyCommand::Kind::SetEnabled, body, b2Vec2_zero, 0.f, enabled});
}

void PhysicsManager::deferDestroyBody(b2Body* body)
{
    queue({DeferredBodyCommand::Kind::DestroyBody, body, b2Vec2_zero, 0.f, false});
}

void PhysicsManager::assertWorldUnlocked()
{
    assert(!s_world->IsLocked() && "a contact callback moves or switches bodies only through the deferred commands");
}

void PhysicsManager::discardDeferredActions(const b2Body* body)
{
    const auto namesBody = [body](const DeferredBodyCommand& command) { return command.body == body; };
    s_deferredActions.erase(std::remove_if(s_deferredActions.begin(), s_deferredActions.end(), namesBody),
                            s_deferredActions.end());
    // The running batch (empty between runs) is walked by index, so its entries are blanked
    // instead of erased.
    for (auto& command : s_runningBatch)
    {
        if (namesBody(command))
            command.body = nullptr;
    }
}

std::size_t PhysicsManager::getDeferredActionCount()
{
    return s_deferredActions.size();
}

void PhysicsManager::BeginContact(b2Contact* contact)
{
    tellBothColliders(*contact, &ColliderComponent::onCollisionEnter);
}

void PhysicsManager::EndContact(b2Contact* contact)
{
    tellBothColliders(*contact, &ColliderComponent::onCollisionExit);
}

void PhysicsManager::tellBothColliders(const b2Contact& contact, void (ColliderComponent::*tell)(ColliderComponent&))
{
    // Fixtures without a collider take part in the simulation but raise no callbacks.
    ColliderComponent* colliderA = ColliderComponent::fromFixture(contact.GetFixtureA());
    if (colliderA == nullptr)
        return;
    ColliderComponent* colliderB = ColliderComponent::fromFixture(contact.GetFixtureB());
    if (colliderB == nullptr)
        return;
    (colliderA->*tell)(*colliderB);
    (colliderB->*tell)(*colliderA);
}

void PhysicsManager::queue(const DeferredBodyCommand& command)
{
    if (command.body == nullptr)
    {
        sf::err() << "Deferred body command without a body ignored" << std::endl;
        return;
    }
    s_deferredActions.push_back(command);
}

void PhysicsManager::runDeferredActions()
{
    // Only update() runs the batch, once per frame. Commands queued while this batch runs
    // (SetEnabled(false) ends contacts and so raises exit callbacks) go to the emptied queue and
    // wait for the next step. The two lists trade places every frame and keep their storage, so
    // carrying an item costs no allocation.
    s_runningBatch.swap(s_deferredActions);
    for (std::size_t i = 0; i < s_runningBatch.size(); ++i)
    {
        const DeferredBodyCommand command = s_runningBatch[i];
        if (command.body != nullptr)
            run(command);
    }
    s_runningBatch.clear();
}

void PhysicsManager::run(const DeferredBodyCommand& command)
{
    switch (command.kind)
    {
    case DeferredBodyCommand::Kind::SetTransform:
        command.body->SetTransform(command.position, command.angle);
        break;
    case DeferredBodyCommand::Kind::SetEnabled:
        command.body->SetEnabled(command.enabled);
        break;
    case DeferredBodyCommand::Kind::DestroyBody:
        s_world->DestroyBody(command.body);
        discardDeferredActions(command.body);
        break;
    }
}

void PhysicsManager::discardDeferredActionsKeepingDestruction()
{
    std::vector<DeferredBodyCommand> destructions;
    for (const auto& command : s_deferredActions)
    {
        if (command.kind == DeferredBodyCommand::Kind::DestroyBody)
            destructions.push_back(command);
    }
    s_deferredActions.clear();
    // Their owners are gone already; leaving the bodies would haunt the next match.
    if (!s_world->IsLocked())
    {
        for (const auto& command : destructions)
            s_world->DestroyBody(command.body);
        return;
    }
    s_deferredActions = std::move(destructions);
}

void PhysicsManager::addRigidBody(RigidBodyComponent& component)
{
    m_rigidBodies.push_back(&component);
}

void PhysicsManager::removeRigidBody(RigidBodyComponent& component)
{
    const auto found = std::find(m_rigidBodies.begin(), m_rigidBodies.end(), &component);
    if (found != m_rigidBodies.end())
        m_rigidBodies.erase(found);
}

void PhysicsManager::syncBodies()
{
    std::size_t index = 0;
    while (index < m_rigidBodies.size())
    {
        RigidBodyComponent* component = m_rigidBodies[index];
        if (component->getBody() == nullptr)
        {
            m_rigidBodies.erase(m_rigidBodies.begin() + static_cast<std::ptrdiff_t>(index));
            continue;
        }
        const std::size_t lengthBefore = m_rigidBodies.size();
        component->syncBody();
        // A sync that announced its end removed an entry at or before this index: the entry now
        // here has not been synced yet.
        if (m_rigidBodies.size() >= lengthBefore)
            ++index;
    }
}

} // namespace zelk
