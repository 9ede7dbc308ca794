// Lifetime, parking and the held/thrown flags of an item, in the real world with a real frame order.

#include "ItemComponent.h"

#include "MatchKit.h"

using namespace zelk;
using namespace zelk::test;

namespace
{

ItemComponent& itemOf(const std::shared_ptr<GameObject>& object)
{
    return *object->getComponent<ItemComponent>();
}

} // namespace

TEST(ItemComponentTest, LyingItemIsParkedAtHomeJustAfterItsLifetime)
{
    MatchScene scene;
    auto rock = makeRock(scene, {300.f, 200.f});
    ItemComponent& item = itemOf(rock);

    scene.frames(40, 0.5f);
    EXPECT_TRUE(rock->isActive()) << "exactly 20 s is not past the lifetime";
    EXPECT_FLOAT_EQ(item.getActiveTime(), 20.f);
    EXPECT_TRUE(isNear(rock->getPosition(), {300.f, 200.f}));

    scene.updateObjects(0.01f);
    EXPECT_FALSE(rock->isActive());
    EXPECT_EQ(rock->getPosition(), sf::Vector2f(0.f, 0.f));
    EXPECT_FLOAT_EQ(item.getActiveTime(), 0.f);
    // The body waits for the end of the step before it is switched off and moved home.
    EXPECT_TRUE(bodyOf(*rock)->IsEnabled());

    scene.step(0.01f);
    b2Body* body = bodyOf(*rock);
    EXPECT_FALSE(body->IsEnabled());
    EXPECT_FLOAT_EQ(body->GetPosition().x, 0.f);
    EXPECT_FLOAT_EQ(body->GetPosition().y, 0.f);
    EXPECT_EQ(rock->getPosition(), sf::Vector2f(0.f, 0.f));

    // Parked items are not updated and do not age.
    scene.frames(10, 1.f);
    EXPECT_FLOAT_EQ(item.getActiveTime(), 0.f);
}

TEST(ItemComponentTest, CarriedItemDoesNotAgeAndAThrowStartsItsClockAgain)
{
    MatchScene scene;
    auto rock = makeRock(scene, {300.f, 200.f});
    ItemComponent& item = itemOf(rock);

    scene.frames(4, 0.5f);
    item.setHeld(true);
    item.setActiveTime(0.f);
    scene.frames(50, 0.5f);
    EXPECT_TRUE(rock->isActive());
    EXPECT_FLOAT_EQ(item.getActiveTime(), 0.f);

    item.setThrown(true);
    EXPECT_FALSE(item.isHeld()) << "a thrown item is no longer in anyone's hands";
    scene.frames(2, 0.5f);
    EXPECT_FLOAT_EQ(item.getActiveTime(), 1.f);

    // Clearing the thrown flag leaves the held flag alone.
    item.setHeld(true);
    item.setThrown(false);
    EXPECT_TRUE(item.isHeld());
}

TEST(ItemComponentTest, DeactivateStopsTheBodyAtOnceButKeepsTheFlags)
{
    MatchScene scene;
    auto rock = makeRock(scene, {300.f, 200.f});
    ItemComponent& item = itemOf(rock);
    b2Body* body = bodyOf(*rock);
    body->SetGravityScale(1.f);
    body->SetLinearVelocity(b2Vec2(5.f, -3.f));
    item.setThrown(true);
    scene.frame(0.1f);

    item.deactivate();
    EXPECT_FALSE(rock->isActive());
    EXPECT_FLOAT_EQ(body->GetLinearVelocity().x, 0.f);
    EXPECT_FLOAT_EQ(body->GetLinearVelocity().y, 0.f);
    EXPECT_EQ(rock->getPosition(), sf::Vector2f(0.f, 0.f)) << "home, where the pool made it";
    // The spawner clears these when it brings the item back.
    EXPECT_TRUE(item.isThrown());

    scene.step(0.1f);
    EXPECT_FALSE(body->IsEnabled());
    EXPECT_FLOAT_EQ(body->GetPosition().x, 0.f);
    EXPECT_FLOAT_EQ(body->GetPosition().y, 0.f);
}

TEST(ItemComponentTest, HomeIsWhereTheObjectStoodWhenTheItemWasMade)
{
    MatchScene scene;
    PhysicsObject made = makeBody("Rock_7", {90.f, 60.f}, b2_dynamicBody);
    const auto& object = made.object;
    auto rock = object->addComponent<RockComponent>(*object, *made.rigidBody);
    addBoxCollider(made, {0.5f, 0.5f, true, CollisionCategory::ITEM});
    ASSERT_TRUE(object->init());
    scene.objects().addGameObject(object);

    putInPlay(scene, *object, {400.f, 400.f});
    scene.frame(0.1f);
    rock->deactivate();
    scene.step(0.f);
    EXPECT_EQ(object->getPosition(), sf::Vector2f(90.f, 60.f));
    EXPECT_TRUE(isNear(toPixels(bodyOf(*object)->GetPosition()), {90.f, 60.f}));
}
