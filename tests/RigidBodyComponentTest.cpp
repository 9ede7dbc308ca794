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

// Counts the rigid body events fired while alive.
class RigidBodyEventCounter
{
public:
    RigidBodyEventCounter()
    {
        auto& bus = EventBus::getInstance();
        m_ids.push_back(bus.addListener(RigidBodyCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
            created.push_back(&static_cast<RigidBodyCreateEvent&>(*event).getData());
        }));
        m_ids.push_back(bus.addListener(RigidBodyDestroyEvent::Type, [this](std::shared_ptr<IEvent> event) {
            destroyed.push_back(&static_cast<RigidBodyDestroyEvent&>(*event).getData());
        }));
    }
    ~RigidBodyEventCounter()
    {
        for (const ListenerId id : m_ids)
            EventBus::getInstance().removeListener(id);
    }

    std::vector<RigidBodyComponent*> created;
    std::vector<RigidBodyComponent*> destroyed;

private:
    std::vector<ListenerId> m_ids;
};

} // namespace

TEST(RigidBodyComponentTest, BodyStartsAtOwnerPixelPositionInMetresWithDefaults)
{
    auto object = std::make_shared<GameObject>("crate");
    object->setPosition(300.f, 150.f);
    object->setRotation(45.f);
    auto rigidBody = object->addComponent<RigidBodyComponent>(*object, b2_kinematicBody);
    const b2Body* body = rigidBody->getBody();

    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->GetType(), b2_kinematicBody);
    EXPECT_FLOAT_EQ(body->GetPosition().x, 10.f);
    EXPECT_FLOAT_EQ(body->GetPosition().y, 5.f);
    EXPECT_EQ(body->GetAngle(), 0.f);
    EXPECT_TRUE(body->IsEnabled());
    EXPECT_TRUE(body->IsAwake());
    EXPECT_TRUE(body->IsSleepingAllowed());
    EXPECT_FALSE(body->IsBullet());
    EXPECT_FALSE(body->IsFixedRotation());
    EXPECT_EQ(body->GetGravityScale(), 1.f);
    EXPECT_EQ(body->GetLinearDamping(), 0.f);
    EXPECT_EQ(body->GetFixtureList(), nullptr);
    EXPECT_TRUE(rigidBody->init());
}

TEST(RigidBodyComponentTest, RefusedDuringAStepIsReportedAndStillAnnounced)
{
    PhysicsManager manager;
    manager.init();
    StreamCapture errors(sf::err());
    RigidBodyEventCounter events;
    const int32 bodiesBefore = PhysicsManager::getWorld().GetBodyCount();

    auto late = makeObjectWithRefusedBody("late");

    ASSERT_NE(late, nullptr);
    auto lateBody = late->getComponent<RigidBodyComponent>();
    EXPECT_EQ(lateBody->getBody(), nullptr);
    EXPECT_EQ(errors.text(), "Error creating rigidbody\n");
    ASSERT_FALSE(events.created.empty());
    EXPECT_EQ(events.created.back(), lateBody.get());
    EXPECT_EQ(PhysicsManager::getWorld().GetBodyCount(), bodiesBefore);
}

TEST(RigidBodyComponentTest, NonFiniteOwnerPositionIsRefusedAndReported)
{
    StreamCapture errors(sf::err());
    const int32 bodiesBefore = PhysicsManager::getWorld().GetBodyCount();

    auto made = makeBody("lost", {std::numeric_limits<float>::infinity(), 10.f}, b2_dynamicBody);

    EXPECT_EQ(made.body(), nullptr);
    EXPECT_EQ(PhysicsManager::getWorld().GetBodyCount(), bodiesBefore);
    EXPECT_EQ(errors.text(), "Error creating rigidbody: lost has no finite position\n");
}

TEST(RigidBodyComponentTest, PoseComesBackInPixelsAndDegrees)
{
    PhysicsManager manager;
    manager.init();
    auto made = makeBox("crate", {300.f, 150.f}, b2_staticBody);

    manager.update(FRAME);
    EXPECT_FLOAT_EQ(made.object->getPosition().x, 300.f);
    EXPECT_FLOAT_EQ(made.object->getPosition().y, 150.f);

    made.body()->SetTransform(made.body()->GetPosition(), b2_pi / 2.f);
    manager.update(FRAME);
    EXPECT_FLOAT_EQ(made.object->getRotation(), 90.f);
    DebugDraw::getInstance().clearShapes();
}

// A marked owner is synced one last time and announces the end; a disabled (pooled) body does neither.
TEST(RigidBodyComponentTest, MarkedOwnerIsSyncedAndAnnouncesTheEndUnlessItsBodyIsDisabled)
{
    auto expired = makeBox("expired", {300.f, 150.f}, b2_dynamicBody);
    auto pooled = makeBox("pooled", {300.f, 150.f}, b2_dynamicBody);
    expired.body()->SetTransform({2.f, 3.f}, 0.f);
    pooled.body()->SetTransform({1.f, 1.f}, 1.f);
    pooled.body()->SetEnabled(false);
    pooled.object->markForDelete();
    expired.object->markForDelete();
    RigidBodyEventCounter events;
    DebugDraw::getInstance().clearShapes();

    pooled.rigidBody->syncBody();
    EXPECT_EQ(pooled.object->getPosition(), sf::Vector2f(300.f, 150.f));
    EXPECT_EQ(pooled.object->getRotation(), 0.f);
    EXPECT_TRUE(events.destroyed.empty());
    EXPECT_TRUE(DebugDraw::getInstance().getShapes().empty());

    expired.rigidBody->syncBody();
    EXPECT_EQ(events.destroyed, (std::vector<RigidBodyComponent*>{expired.rigidBody}));
    EXPECT_FLOAT_EQ(expired.object->getPosition().x, 60.f);
    EXPECT_FLOAT_EQ(expired.object->getPosition().y, 90.f);
    DebugDraw::getInstance().clearShapes();
}

TEST(RigidBodyComponentTest, AnnouncesItselfAtOnceAndDestroysItsBodyAnnouncingTheEnd)
{
    RigidBodyEventCounter events;
    auto made = makeBox("crate", {30.f, 30.f}, b2_dynamicBody);
    RigidBodyComponent* component = made.rigidBody;
    EXPECT_EQ(events.created, (std::vector<RigidBodyComponent*>{component}));
    EXPECT_TRUE(events.destroyed.empty());
    const int32 bodiesBefore = PhysicsManager::getWorld().GetBodyCount();

    made = {};

    EXPECT_EQ(PhysicsManager::getWorld().GetBodyCount(), bodiesBefore - 1);
    EXPECT_EQ(events.destroyed, (std::vector<RigidBodyComponent*>{component}));
}

TEST(RigidBodyComponentTest, TouchingFixtureRaisesTheExitCallbacksOfBothColliders)
{
    std::vector<std::string> log;
    PhysicsManager manager;
    manager.init();
    auto player = makeBox("player", {300.f, 300.f}, b2_dynamicBody);
    auto item = makeBox("item", {300.f, 300.f}, b2_dynamicBody, {0.5f, 0.5f, true, CollisionCategory::ITEM});
    recordCallbacks(*player.collider, log);
    recordCallbacks(*item.collider, log);
    manager.update(FRAME);
    ASSERT_EQ(log.size(), 2u);
    const auto [a, b] = firstContactIds();
    log.clear();

    item = {};

    EXPECT_EQ(log, (std::vector<std::string>{"exit:" + a + ":" + b, "exit:" + b + ":" + a}));
    DebugDraw::getInstance().clearShapes();
}

TEST(RigidBodyComponentTest, BodylessComponentGoesQuietly)
{
    PhysicsManager manager;
    manager.init();
    StreamCapture errors(sf::err());
    auto late = makeObjectWithRefusedBody("late");
    ASSERT_NE(late, nullptr);
    RigidBodyEventCounter events;
    const int32 bodiesBefore = PhysicsManager::getWorld().GetBodyCount();

    late.reset();

    EXPECT_EQ(PhysicsManager::getWorld().GetBodyCount(), bodiesBefore);
    EXPECT_EQ(events.destroyed.size(), 1u);
}
