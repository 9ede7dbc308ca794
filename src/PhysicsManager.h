#pragma once
// Connects the one Box2D world to the game: contacts become collider callbacks, body changes asked
// for during a step are run after it, and every body's pose is copied onto its game object.
//
// Contract (Box2D's world-locked rule, made visible): collision callbacks run synchronously inside
// b2World::Step, inside DestroyBody and inside b2Body::SetEnabled(false), on the main thread. While
// they run the world is locked, so a callback must not create or destroy bodies or fixtures, nor
// move or switch bodies directly: it queues deferSetTransform / deferSetEnabled instead. Commands
// queued before or during a frame's step run right after that step, in the order queued; commands
// queued while they run wait for the next frame. Commands never outlive their body (a destroyed
// rigid body drops its own) nor the match (shutdown() drops the rest).

#include "Subscription.h"
#include "PhysicsUnits.h"

#include <box2d/box2d.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace zelk
{

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
    // Forgets the pending commands of a body that no longer exists.
    static void discardDeferredActions(const b2Body* body);
    /// For testing.
    static std::size_t getDeferredActionCount();

    /// For testing.
    const std::vector<RigidBodyComponent*>& getRigidBodies() const { return m_rigidBodies; }

    void BeginContact(b2Contact* contact) override;
    void EndContact(b2Contact* contact) override;

private:
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
