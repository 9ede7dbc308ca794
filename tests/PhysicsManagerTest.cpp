#include "DebugDraw.h"
#include "MatchKit.h"
#include "RigidBodyCreateEvent.h"
#include "RigidBodyDestroyEvent.h"

#include <limits>

using namespace zelk;
using namespace zelk::test;

namespace
{

constexpr float FRAME = 1.f / 60.f;
constexpr std::size_t SHAPES_PER_ONE_BOX_BODY = 4; // polygon, bounding box, two axis lines

std::size_t syncedShapeCount()
{
    return DebugDraw::getInstance().getShapes().size();
}

// Each case runs with a listening manager; the debug drawing that syncs leave behind is cleared.
class PhysicsManagerTest : public ::testing::Test
{
protected:
    PhysicsManagerTest() { manager.init(); }
    ~PhysicsManagerTest() override { DebugDraw::getInstance().clearShapes(); }

    PhysicsManager manager;
};

} // namespace

// The numbers every speed and distance of the game goes through.
TEST_F(PhysicsManagerTest, UnitsAndTheWorldsDownwardGravity)
{
    const b2Vec2 metres = toMetres({300.f, 150.f});
    EXPECT_FLOAT_EQ(metres.x, 10.f);
    EXPECT_FLOAT_EQ(metres.y, 5.f);
    EXPECT_TRUE(isNear(toPixels(metres), {300.f, 150.f}));
    EXPECT_EQ(METRES_PER_PIXEL, 0.033333335f);
    EXPECT_FLOAT_EQ(toDegrees(-b2_pi), -180.f);
    EXPECT_FLOAT_EQ(toRadians(90.f), b2_pi / 2.f);
    EXPECT_EQ(PhysicsManager::getWorld().GetGravity(), b2Vec2(0.f, 9.8f));
}

TEST_F(PhysicsManagerTest, EnterAndExitRunFixtureAsCallbacksBeforeFixtureBs)
{
    std::vector<std::string> log;
    auto mover = makeBox("mover", {300.f, 300.f}, b2_dynamicBody);
    auto ground = makeBox("ground", {300.f, 320.f}, b2_staticBody);
    recordCallbacks(*mover.collider, log);
    recordCallbacks(*ground.collider, log);

    manager.update(FRAME);
    const auto [a, b] = firstContactIds();
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(log, (std::vector<std::string>{"enter:" + a + ":" + b, "enter:" + b + ":" + a}));

    log.clear();
    mover.body()->SetTransform({100.f, 100.f}, 0.f);
    manager.update(FRAME);
    EXPECT_EQ(log, (std::vector<std::string>{"exit:" + a + ":" + b, "exit:" + b + ":" + a}));
}

TEST_F(PhysicsManagerTest, FixtureWithoutColliderRaisesNothingOnEitherSide)
{
    std::vector<std::string> log;
    auto mover = makeBox("mover", {300.f, 300.f}, b2_dynamicBody);
    recordCallbacks(*mover.collider, log);

    b2BodyDef bareDef;
    bareDef.position = toMetres({300.f, 310.f});
    b2Body* bare = PhysicsManager::getWorld().CreateBody(&bareDef);
    b2PolygonShape shape;
    const b2FixtureDef bareFixture = boxFixtureDef(shape, {});
    bare->CreateFixture(&bareFixture);

    manager.update(FRAME);
    ASSERT_NE(PhysicsManager::getWorld().GetContactList(), nullptr);
    EXPECT_TRUE(PhysicsManager::getWorld().GetContactList()->IsTouching());
    PhysicsManager::getWorld().DestroyBody(bare);
    EXPECT_TRUE(log.empty());
}

TEST_F(PhysicsManagerTest, TransformQueuedFromCollisionCallbackShowsInSameFrameSync)
{
    auto player = makeBox("player", {600.f, 300.f}, b2_dynamicBody);
    auto trigger = makeBox("trigger", {600.f, 300.f}, b2_staticBody, {0.5f, 0.5f, true, CollisionCategory::KILLZONE});
    trigger.collider->registerOnCollisionEnter([](ColliderComponent&, ColliderComponent& other) {
        PhysicsManager::deferSetTransform(other.getFixture()->GetBody(), {2.f, 3.f}, 0.f);
    });

    manager.update(FRAME);

    EXPECT_FLOAT_EQ(player.object->getPosition().x, 60.f);
    EXPECT_FLOAT_EQ(player.object->getPosition().y, 90.f);
}

TEST_F(PhysicsManagerTest, RunInQueueOrderAfterTheStep)
{
    auto box = makeBox("box", {30.f, 30.f}, b2_staticBody);
    PhysicsManager::deferSetTransform(box.body(), {4.f, 4.f}, 0.f);
    PhysicsManager::deferSetEnabled(box.body(), false);
    PhysicsManager::deferSetTransform(box.body(), {7.f, 8.f}, 1.f);
    PhysicsManager::deferSetEnabled(box.body(), true);

    manager.update(0.f);

    EXPECT_TRUE(box.body()->IsEnabled());
    EXPECT_FLOAT_EQ(box.body()->GetPosition().x, 7.f);
    EXPECT_FLOAT_EQ(box.body()->GetPosition().y, 8.f);
    EXPECT_FLOAT_EQ(box.object->getRotation(), toDegrees(1.f));
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 0u);
}

TEST_F(PhysicsManagerTest, CommandsQueuedWhileTheListRunsWaitForTheNextFrame)
{
    auto player = makeBox("player", {300.f, 300.f}, b2_dynamicBody);
    player.body()->SetGravityScale(0.f);
    auto river = makeBox("river", {300.f, 300.f}, b2_staticBody, {1.f, 1.f, true, CollisionCategory::RIVER});
    int exits = 0;
    river.collider->registerOnCollisionExit([&exits](ColliderComponent&, ColliderComponent& other) {
        ++exits;
        PhysicsManager::deferSetTransform(other.getFixture()->GetBody(), {5.f, 5.f}, 0.f);
    });
    manager.update(FRAME);

    // Switching the player off ends its contact inside the command list and raises the exit.
    PhysicsManager::deferSetEnabled(player.body(), false);
    manager.update(FRAME);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 1u);
    EXPECT_NE(player.body()->GetPosition(), b2Vec2(5.f, 5.f));

    manager.update(FRAME);
    EXPECT_EQ(player.body()->GetPosition(), b2Vec2(5.f, 5.f));
}

TEST_F(PhysicsManagerTest, CommandsForADestroyedBodyAreDropped)
{
    auto doomed = makeBox("doomed", {30.f, 30.f}, b2_dynamicBody);
    PhysicsManager::deferSetTransform(doomed.body(), {9.f, 9.f}, 0.f);
    PhysicsManager::deferSetEnabled(doomed.body(), false);
    doomed = {};
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 0u);

    // Box2D hands the freed body's memory to the next body, so a stale command would hit this one.
    auto successor = makeBox("successor", {60.f, 60.f}, b2_staticBody);
    const b2Vec2 start = successor.body()->GetPosition();
    manager.update(FRAME);

    EXPECT_TRUE(successor.body()->IsEnabled());
    EXPECT_EQ(successor.body()->GetPosition(), start);
}

TEST_F(PhysicsManagerTest, CommandsQueuedByExitCallbacksOfTheDyingBodyAreDropped)
{
    auto doomed = makeBox("doomed", {300.f, 300.f}, b2_dynamicBody);
    auto wall = makeBox("wall", {300.f, 300.f}, b2_staticBody, {1.f, 1.f, true, CollisionCategory::WALL});
    doomed.collider->registerOnCollisionExit([](ColliderComponent& self, ColliderComponent&) {
        PhysicsManager::deferSetEnabled(self.getFixture()->GetBody(), false);
    });
    manager.update(FRAME);

    doomed = {};
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 0u);
    manager.update(FRAME);
}

TEST_F(PhysicsManagerTest, CommandWithoutBodyOrWithANonFiniteTransformIsReportedAndIgnored)
{
    auto box = makeBox("box", {30.f, 30.f}, b2_dynamicBody);
    const b2Vec2 start = box.body()->GetPosition();
    StreamCapture errors(sf::err());

    PhysicsManager::deferSetTransform(nullptr, {1.f, 1.f}, 0.f);
    PhysicsManager::deferSetEnabled(nullptr, false);
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 0u);
    EXPECT_NE(errors.text().find("Deferred body command without a body ignored"), std::string::npos);

    PhysicsManager::deferSetTransform(box.body(), {std::numeric_limits<float>::quiet_NaN(), 1.f}, 0.f);
    PhysicsManager::deferSetTransform(box.body(), {1.f, 1.f}, std::numeric_limits<float>::infinity());
    manager.update(0.f);

    EXPECT_EQ(box.body()->GetPosition(), start);
    EXPECT_EQ(box.body()->GetAngle(), 0.f);
    EXPECT_NE(errors.text().find("Deferred transform with a non-finite position or angle ignored"), std::string::npos);
}

TEST_F(PhysicsManagerTest, VariableDeltaTimeIsOneStepInSeconds)
{
    auto box = makeBox("box", {300.f, 300.f}, b2_dynamicBody);
    box.body()->SetGravityScale(0.f);
    box.body()->SetLinearVelocity({2.f, 0.f});

    manager.update(0.5f);

    EXPECT_FLOAT_EQ(box.object->getPosition().x, 330.f);
    EXPECT_FLOAT_EQ(box.object->getPosition().y, 300.f);
}

TEST_F(PhysicsManagerTest, ZeroNegativeOrNonFiniteDeltaTimeStepsByZeroTime)
{
    auto box = makeBox("box", {300.f, 300.f}, b2_dynamicBody);
    box.body()->SetLinearVelocity({3.f, 1.f});
    const b2Vec2 start = box.body()->GetPosition();

    for (const float none : {0.f, -0.5f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
    {
        manager.update(none);
        EXPECT_EQ(box.body()->GetPosition(), start) << none;
        EXPECT_EQ(box.body()->GetLinearVelocity(), b2Vec2(3.f, 1.f)) << none;
    }
    EXPECT_FLOAT_EQ(box.object->getPosition().x, 300.f);
    manager.update(FRAME);
    EXPECT_TRUE(box.body()->GetPosition().IsValid());
    EXPECT_GT(box.body()->GetPosition().x, start.x);
}

TEST_F(PhysicsManagerTest, BodyAnnouncedTwiceIsSyncedTwiceAndOneDestroyEventRemovesOnlyTheFirst)
{
    auto twice = makeBox("twice", {30.f, 30.f}, b2_staticBody);
    auto once = makeBox("once", {90.f, 30.f}, b2_staticBody);
    EventBus::getInstance().fireEvent(std::make_shared<RigidBodyCreateEvent>(*twice.rigidBody));
    ASSERT_EQ(manager.getRigidBodies(),
              (std::vector<RigidBodyComponent*>{twice.rigidBody, once.rigidBody, twice.rigidBody}));

    DebugDraw::getInstance().clearShapes();
    manager.update(FRAME);
    EXPECT_EQ(syncedShapeCount(), 3 * SHAPES_PER_ONE_BOX_BODY);

    EventBus::getInstance().fireEvent(std::make_shared<RigidBodyDestroyEvent>(*twice.rigidBody));
    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{once.rigidBody, twice.rigidBody}));
}

TEST_F(PhysicsManagerTest, DestroyEventForAnUnlistedComponentChangesNothing)
{
    auto early = makeBox("early", {30.f, 30.f}, b2_staticBody);
    auto listed = makeBox("listed", {90.f, 30.f}, b2_staticBody);

    EventBus::getInstance().fireEvent(std::make_shared<RigidBodyDestroyEvent>(*early.rigidBody));

    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{listed.rigidBody}));
}

TEST_F(PhysicsManagerTest, MarkedObjectLeavesAfterItsLastSyncAndEveryOtherEntryIsSyncedOnce)
{
    auto first = makeBox("first", {30.f, 30.f}, b2_staticBody);
    auto marked = makeBox("marked", {90.f, 30.f}, b2_staticBody);
    auto last = makeBox("last", {150.f, 30.f}, b2_staticBody);
    EventBus::getInstance().fireEvent(std::make_shared<RigidBodyCreateEvent>(*marked.rigidBody));
    marked.object->markForDelete();
    marked.body()->SetTransform({4.f, 4.f}, 0.f);

    DebugDraw::getInstance().clearShapes();
    manager.update(FRAME);

    // Both entries of the marked body were synced, the others once each.
    EXPECT_EQ(syncedShapeCount(), 4 * SHAPES_PER_ONE_BOX_BODY);
    EXPECT_FLOAT_EQ(marked.object->getPosition().x, 120.f);
    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{first.rigidBody, last.rigidBody}));

    DebugDraw::getInstance().clearShapes();
    manager.update(FRAME);
    EXPECT_EQ(syncedShapeCount(), 2 * SHAPES_PER_ONE_BOX_BODY);
}

TEST_F(PhysicsManagerTest, ComponentWhoseBodyWasRefusedIsDroppedOnTheNextPass)
{
    StreamCapture errors(sf::err());
    auto player = makeBox("player", {300.f, 300.f}, b2_dynamicBody);
    auto late = makeObjectWithRefusedBody("late");
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(manager.getRigidBodies().back(), late->getComponent<RigidBodyComponent>().get());

    manager.update(FRAME);

    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{player.rigidBody}));
}

TEST_F(PhysicsManagerTest, ComponentDestroyedWithoutMarkLeavesNoEntryBehind)
{
    auto replaced = makeBox("twin", {30.f, 30.f}, b2_dynamicBody);
    auto kept = makeBox("kept", {90.f, 30.f}, b2_dynamicBody);

    replaced = makeBox("twin", {150.f, 30.f}, b2_dynamicBody);

    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{kept.rigidBody, replaced.rigidBody}));
    manager.update(FRAME);
    EXPECT_GT(replaced.object->getPosition().y, 30.f);
}

TEST_F(PhysicsManagerTest, ShutdownDiscardsCommandsCancelsSubscriptionsAndForgetsBodies)
{
    auto before = makeBox("before", {30.f, 60.f}, b2_staticBody);
    const b2Vec2 start = before.body()->GetPosition();
    PhysicsManager::deferSetTransform(before.body(), {9.f, 9.f}, 0.f);
    PhysicsManager::deferSetEnabled(before.body(), false);

    manager.shutdown();
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 0u);
    EXPECT_TRUE(manager.getRigidBodies().empty());
    auto after = makeBox("after", {90.f, 30.f}, b2_staticBody);
    EXPECT_TRUE(manager.getRigidBodies().empty());

    manager.init();
    auto nextMatch = makeBox("nextMatch", {150.f, 30.f}, b2_staticBody);
    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{nextMatch.rigidBody}));
    manager.update(FRAME);
    EXPECT_TRUE(before.body()->IsEnabled());
    EXPECT_EQ(before.body()->GetPosition(), start);
}

TEST_F(PhysicsManagerTest, ContactsOfBodiesDestroyedAfterShutdownStillReachTheirColliders)
{
    std::vector<std::string> log;
    auto mover = makeBox("mover", {300.f, 300.f}, b2_dynamicBody);
    auto ground = makeBox("ground", {300.f, 310.f}, b2_staticBody);
    recordCallbacks(*mover.collider, log);
    recordCallbacks(*ground.collider, log);
    manager.update(FRAME);
    manager.shutdown();
    log.clear();

    mover = {};

    EXPECT_EQ(log.size(), 2u);
}

TEST_F(PhysicsManagerTest, ManagerGoneBeforeItsBodiesIsNeverCalledAgain)
{
    std::vector<std::string> log;
    manager.shutdown();
    auto owned = std::make_unique<PhysicsManager>();
    owned->init();
    auto mover = makeBox("mover", {300.f, 300.f}, b2_dynamicBody);
    auto ground = makeBox("ground", {300.f, 310.f}, b2_staticBody);
    recordCallbacks(*mover.collider, log);
    recordCallbacks(*ground.collider, log);
    owned->update(FRAME);
    log.clear();

    owned.reset();
    // Neither the destroy events nor the ended contact may reach the freed manager.
    mover = {};
    auto later = makeBox("later", {30.f, 30.f}, b2_staticBody);
    PhysicsManager::getWorld().Step(FRAME, PhysicsManager::VELOCITY_ITERATIONS, PhysicsManager::POSITION_ITERATIONS);

    EXPECT_TRUE(log.empty());
}

TEST_F(PhysicsManagerTest, BodyDestroyedInsideACollisionCallbackGoesAfterTheStep)
{
    auto victim = makeBox("victim", {900.f, 300.f}, b2_staticBody);
    auto player = makeBox("player", {300.f, 300.f}, b2_dynamicBody);
    auto trigger = makeBox("trigger", {300.f, 300.f}, b2_staticBody, {0.5f, 0.5f, true, CollisionCategory::KILLZONE});
    trigger.collider->registerOnCollisionEnter([&victim](ColliderComponent&, ColliderComponent&) { victim = {}; });
    const int32 bodiesBefore = PhysicsManager::getWorld().GetBodyCount();

    manager.update(FRAME);

    EXPECT_EQ(victim.object, nullptr);
    EXPECT_EQ(PhysicsManager::getWorld().GetBodyCount(), bodiesBefore - 1);
    EXPECT_EQ(manager.getRigidBodies(), (std::vector<RigidBodyComponent*>{player.rigidBody, trigger.rigidBody}));
}

// Debug and sanitizer builds stop a callback that is about to move or switch a body directly
// instead of through the deferred commands.
TEST_F(PhysicsManagerTest, ADirectBodyChangeInsideACallbackIsCaughtInDebugBuilds)
{
    auto mover = makeBox("mover", {300.f, 300.f}, b2_dynamicBody);
    auto ground = makeBox("ground", {300.f, 320.f}, b2_staticBody);
    ground.collider->registerOnCollisionEnter(
        [](ColliderComponent&, ColliderComponent&) { PhysicsManager::assertWorldUnlocked(); });
    EXPECT_DEBUG_DEATH(manager.update(FRAME), "deferred commands");
}
