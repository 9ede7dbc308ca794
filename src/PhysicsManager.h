#pragma once
// Connects the one Box2D world to the game: contacts become collider callbacks, body changes asked
// for during a step are run after it, and every body's pose is copied onto its game object.
//
// What a collision callback may change and what it defers: see ColliderComponent's contact
// callbacks. Commands queued before or during a frame's step run right after that step, in the
// order queued; commands queued while they run wait for the next frame. Commands never outlive
// their body (a destroyed rigid body drops its own) nor the match (shutdown() drops the rest).

#include "Subscription.h"
#include "PhysicsUnits.h"

#include <box2d/box2d.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace zelk
{

class ColliderComponent;
class RigidBodyComponent;

// A body change waiting for the end of the current step. Kept as a record naming its body, so the
// commands of a body that goes away can be found and dropped.
struct DeferredBodyCommand
{
    enum class Kind
    {
        SetTransform,
        SetEnabled,
        DestroyBody
    };

    Kind kind;
    b2Body* body;
    b2Vec2 position;
    float angle;
    bool enabled;
};

class PhysicsManager : public b2ContactListener
{
public:
    // Box2D's solver iterations for every step of the world.
    static constexpr int32 VELOCITY_ITERATIONS = 8;
    static constexpr int32 POSITION_ITERATIONS = 3;

    static std::shared_ptr<b2World> s_world;
    static b2World& getWorld();

    PhysicsManager() = default;
    // Also cancels the subscriptions and uninstalls itself as contact listener, so the world never
    // calls a manager that is gone.
    ~PhysicsManager() override;
    PhysicsManager(const PhysicsManager&) = delete;
    PhysicsManager& operator=(const PhysicsManager&) = delete;

    // Installs the contact listener and subscribes to rigid body create/destroy events.
    void init();
    // Steps the world by dt (a negative or non-finite dt counts as 0), runs the deferred commands,
    // then copies every listed body's pose onto its game object.
    void update(float dt);
    // Cancels the subscriptions, forgets the bodies and drops pending commands (bodies already
    // waiting for destruction are destroyed now). The contact listener stays installed.
    void shutdown();

    // Position in metres, angle in radians; both take effect after the current step.
    static void deferSetTransform(b2Body* body, const b2Vec2& position, float angle);
    static void deferSetEnabled(b2Body* body, bool enabled);
    // For a body that could not be destroyed at once because the world was locked.
    static void deferDestroyBody(b2Body* body);
    // Opens every direct SetTransform or SetEnabled of the game's code: those are for outside the
    // step only (ColliderComponent's contact callback rule). Asserts in debug and sanitizer builds.
    static void assertWorldUnlocked();
    // Forgets the pending commands of a body that no longer exists.
    static void discardDeferredActions(const b2Body* body);
    /// For testing.
    static std::size_t getDeferredActionCount();

    /// For testing.
    const std::vector<RigidBodyComponent*>& getRigidBodies() const { return m_rigidBodies; }

    void BeginContact(b2Contact* contact) override;
    void EndContact(b2Contact* contact) override;

private:
    // A's callbacks run before B's.
    static void tellBothColliders(const b2Contact& contact, void (ColliderComponent::*tell)(ColliderComponent&));
    static void queue(const DeferredBodyCommand& command);
    static void runDeferredActions();
    static void run(const DeferredBodyCommand& command);
    static void discardDeferredActionsKeepingDestruction();

    void addRigidBody(RigidBodyComponent& component);
    void removeRigidBody(RigidBodyComponent& component);
    void syncBodies();

    static std::vector<DeferredBodyCommand> s_deferredActions;
    // The batch being run, so a body destroyed meanwhile can drop its commands from it too; empty
    // between runs, its storage kept from frame to frame.
    static std::vector<DeferredBodyCommand> s_runningBatch;
    static PhysicsManager* s_contactListener;

    Subscription m_createSubscription;
    Subscription m_destroySubscription;
    std::vector<RigidBodyComponent*> m_rigidBodies;
};

} // namespace zelk
