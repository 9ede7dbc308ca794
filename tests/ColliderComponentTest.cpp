#include "DebugDraw.h"
#include "MatchKit.h"

#include <functional>
#include <limits>

using namespace zelk;
using namespace zelk::test;

namespace
{

constexpr float FRAME = 1.f / 60.f;

// A player-sized dynamic box resting inside a sensor: one contact on the first step.
struct TouchingPair
{
    PhysicsObject player = makeBox("player", {300.f, 300.f}, b2_dynamicBody);
    PhysicsObject trigger = makeBox("trigger", {300.f, 300.f}, b2_staticBody, {1.f, 1.f, true, CollisionCategory::KILLZONE});
};

// Keeps a sibling component alive until this one goes.
template <typename T>
class HoldingComponent : public IComponent
{
public:
    HoldingComponent(GameObject& gameObject, std::shared_ptr<T> held)
        : IComponent(gameObject)
        , m_held(std::move(held))
    {
    }
    bool init() override { return true; }
    void update(float) override {}

private:
    std::shared_ptr<T> m_held;
};

// Runs a check when destroyed, i.e. during the owner's teardown after its earlier components.
class ProbeComponent : public IComponent
{
public:
    ProbeComponent(GameObject& gameObject, std::function<void()> onDestroy)
        : IComponent(gameObject)
        , m_onDestroy(std::move(onDestroy))
    {
    }
    ~ProbeComponent() override { m_onDestroy(); }
    bool init() override { return true; }
    void update(float) override {}

private:
    std::function<void()> m_onDestroy;
};

// Each case runs with a listening manager; the debug drawing that syncs leave behind is cleared.
class ColliderComponentTest : public ::testing::Test
{
protected:
    ColliderComponentTest() { manager.init(); }
    ~ColliderComponentTest() override { DebugDraw::getInstance().clearShapes(); }

    PhysicsManager manager;
};

} // namespace

TEST_F(ColliderComponentTest, UserDataLeadsBackToTheCollider)
{
    auto made = makeBox("crate", {30.f, 30.f}, b2_dynamicBody, {0.5f, 0.5f, false, CollisionCategory::WALL});
    const b2Fixture* fixture = made.collider->getFixture();

    ASSERT_NE(fixture, nullptr);
    EXPECT_EQ(fixture->GetBody(), made.body());
    EXPECT_EQ(ColliderComponent::fromFixture(fixture), made.collider);
    EXPECT_FALSE(fixture->IsSensor());
    EXPECT_EQ(fixture->GetFilterData().categoryBits, CollisionCategory::WALL);
    EXPECT_EQ(ColliderComponent::fromFixture(nullptr), nullptr);
}

TEST_F(ColliderComponentTest, CategoryComesFromTheFirstFixtureOfTheBody)
{
    auto made = makeBox("trigger", {30.f, 30.f}, b2_staticBody, {0.5f, 0.5f, true, CollisionCategory::RIVER});
    ColliderComponent* second = addBoxCollider(made, {0.2f, 0.2f, true, CollisionCategory::KILLZONE});
    const std::uint16_t first = made.body()->GetFixtureList()->GetFilterData().categoryBits;

    EXPECT_EQ(made.collider->getCategoryBits(), first);
    EXPECT_EQ(second->getCategoryBits(), first);
}

TEST_F(ColliderComponentTest, WithoutBodyNoFixtureIsMadeAndTheReasonIsReported)
{
    auto late = makeObjectWithRefusedBody("late");
    ASSERT_NE(late, nullptr);
    auto rigidBody = late->getComponent<RigidBodyComponent>();
    StreamCapture errors(sf::err());

    b2PolygonShape shape;
    b2FixtureDef fixtureDef = boxFixtureDef(shape, {});
    auto collider = late->addComponent<ColliderComponent>(*late, *rigidBody, fixtureDef);

    EXPECT_EQ(collider->getFixture(), nullptr);
    EXPECT_EQ(collider->getCategoryBits(), 0);
    EXPECT_EQ(errors.text(), "Collider of late has no body to attach to: no fixture created\n");
}

TEST_F(ColliderComponentTest, WithoutShapeNoFixtureIsMadeAndTheReasonIsReported)
{
    auto made = makeBody("crate", {30.f, 30.f}, b2_dynamicBody);
    StreamCapture errors(sf::err());
    b2FixtureDef fixtureDef;

    auto collider = made.object->addComponent<ColliderComponent>(*made.object, *made.rigidBody, fixtureDef);

    EXPECT_EQ(collider->getFixture(), nullptr);
    EXPECT_EQ(made.body()->GetFixtureList(), nullptr);
    EXPECT_EQ(errors.text(), "Collider of crate has no shape: no fixture created\n");
}

TEST_F(ColliderComponentTest, ShapeWithoutAreaIsRefusedOnlyWhenItHasDensity)
{
    auto made = makeBody("flat", {30.f, 30.f}, b2_dynamicBody);
    StreamCapture errors(sf::err());

    b2PolygonShape flat;
    flat.SetAsBox(0.f, 0.5f);
    b2FixtureDef heavy = ColliderComponent::makeFixtureDef(flat, CollisionCategory::WALL);
    heavy.density = 1.f;
    auto refused = made.object->addComponent<ColliderComponent>(*made.object, *made.rigidBody, heavy);
    EXPECT_EQ(refused->getFixture(), nullptr);
    EXPECT_EQ(errors.text(), "Collider of flat has a shape without finite area for its density: no fixture created\n");

    b2PolygonShape broken;
    broken.SetAsBox(std::numeric_limits<float>::quiet_NaN(), 0.5f);
    heavy.shape = &broken;
    EXPECT_EQ(made.object->addComponent<ColliderComponent>(*made.object, *made.rigidBody, heavy)->getFixture(),
              nullptr);

    b2FixtureDef massless = ColliderComponent::makeFixtureDef(flat, CollisionCategory::PLAIN_TRIGGER);
    massless.isSensor = true;
    EXPECT_NE(made.object->addComponent<ColliderComponent>(*made.object, *made.rigidBody, massless)->getFixture(),
              nullptr);
}

TEST_F(ColliderComponentTest, MadeDuringAStepIsRefusedAndReported)
{
    TouchingPair pair;
    auto late = makeBody("late", {900.f, 900.f}, b2_dynamicBody);
    ColliderComponent* lateCollider = nullptr;
    pair.trigger.collider->registerOnCollisionEnter([&](ColliderComponent&, ColliderComponent&) {
        lateCollider = addBoxCollider(late);
    });
    StreamCapture errors(sf::err());

    PhysicsManager::getWorld().Step(FRAME, PhysicsManager::VELOCITY_ITERATIONS, PhysicsManager::POSITION_ITERATIONS);

    ASSERT_NE(lateCollider, nullptr);
    EXPECT_EQ(lateCollider->getFixture(), nullptr);
    EXPECT_EQ(late.body()->GetFixtureList(), nullptr);
    EXPECT_EQ(errors.text(), "Collider of late created during a physics step: no fixture created\n");
}

TEST_F(ColliderComponentTest, RunInRegistrationOrderWithSelfAndOther)
{
    std::vector<std::string> log;
    TouchingPair pair;
    for (const char* name : {"first", "second", "third"})
    {
        pair.trigger.collider->registerOnCollisionEnter([&log, name](ColliderComponent& self, ColliderComponent& other) {
            log.push_back(std::string(name) + ":" + self.getGameObject().getId() + ":" + other.getGameObject().getId());
        });
    }

    manager.update(FRAME);

    EXPECT_EQ(log, (std::vector<std::string>{"first:trigger:player", "second:trigger:player", "third:trigger:player"}));
}

TEST_F(ColliderComponentTest, DisabledColliderRaisesNoneOfItsOwnButTheOtherSideStillDoes)
{
    std::vector<std::string> log;
    TouchingPair pair;
    recordCallbacks(*pair.player.collider, log);
    recordCallbacks(*pair.trigger.collider, log);
    pair.player.collider->setEnabled(false);

    manager.update(FRAME);
    pair.player.body()->SetTransform({-100.f, -100.f}, 0.f);
    manager.update(FRAME);

    EXPECT_EQ(log, (std::vector<std::string>{"enter:trigger:player", "exit:trigger:player"}));
}

TEST_F(ColliderComponentTest, SwitchingBackOnRestoresCallbacksForLaterContacts)
{
    std::vector<std::string> log;
    TouchingPair pair;
    recordCallbacks(*pair.player.collider, log);
    pair.player.collider->setEnabled(false);
    manager.update(FRAME);

    pair.player.collider->setEnabled(true);
    pair.player.body()->SetTransform({-100.f, -100.f}, 0.f);
    manager.update(FRAME);

    EXPECT_EQ(log, (std::vector<std::string>{"exit:player:trigger"}));
}

TEST_F(ColliderComponentTest, OneRegisteredWhileTheListRunsWaitsForTheNextContact)
{
    int lateCalls = 0;
    TouchingPair pair;
    ColliderComponent& trigger = *pair.trigger.collider;
    trigger.registerOnCollisionEnter([&lateCalls](ColliderComponent& self, ColliderComponent&) {
        // Enough to move a vector's storage; a deque keeps the running callback in place.
        for (int i = 0; i < 64; ++i)
            self.registerOnCollisionEnter([&lateCalls](ColliderComponent&, ColliderComponent&) { ++lateCalls; });
    });

    manager.update(FRAME);
    EXPECT_EQ(lateCalls, 0);

    pair.player.body()->SetTransform({-100.f, -100.f}, 0.f);
    manager.update(FRAME);
    pair.player.body()->SetTransform(toMetres({300.f, 300.f}), 0.f);
    manager.update(FRAME);
    EXPECT_EQ(lateCalls, 64);
}

TEST_F(ColliderComponentTest, ColliderGoneBeforeItsBodyNoLongerReceivesContacts)
{
    std::vector<std::string> log;
    TouchingPair pair;
    recordCallbacks(*pair.trigger.collider, log);
    // A later sibling keeps the rigid body alive, so while the object is torn down the collider
    // goes first and the body (ending its contact) only after it.
    auto rigidBody = pair.player.object->getComponent<RigidBodyComponent>();
    pair.player.object->addComponent<HoldingComponent<RigidBodyComponent>>(*pair.player.object, std::move(rigidBody));
    manager.update(FRAME);
    log.clear();

    pair.player = {};

    EXPECT_TRUE(log.empty());
    manager.update(FRAME);
    EXPECT_TRUE(log.empty());
}

TEST_F(ColliderComponentTest, ColliderOutlivingItsRigidBodyNeverReachesIt)
{
    auto made = makeBox("crate", {30.f, 30.f}, b2_dynamicBody);
    ColliderComponent* collider = made.collider;
    bool probed = false;
    // Runs between the rigid body's end and the collider's, which a later sibling delays.
    made.object->addComponent<ProbeComponent>(*made.object, [&probed, collider] {
        probed = true;
        EXPECT_EQ(collider->getFixture(), nullptr);
        EXPECT_EQ(collider->getCategoryBits(), 0);
    });
    made.object->addComponent<HoldingComponent<ColliderComponent>>(
        *made.object, made.object->getComponent<ColliderComponent>());

    made = {};

    EXPECT_TRUE(probed);
}
