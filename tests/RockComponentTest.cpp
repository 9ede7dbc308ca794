// A thrown rock is a solid body: it knocks the player it hits, and nothing but physics stops it.

#include "RockComponent.h"

#include "MatchKit.h"

using namespace zelk;
using namespace zelk::test;

namespace
{

constexpr float FRAME = 0.01f;

} // namespace

TEST(RockComponentTest, ThrownRockKnocksTheOtherPlayerBack)
{
    MatchScene scene;
    auto thrower = makeStandingPlayer(scene, "Player0", {300.f, 300.f}, 0);
    auto target = makeStandingPlayer(scene, "Player1", {420.f, 300.f}, 1);
    auto rock = makeRock(scene, {300.f, 300.f});
    scene.frame(FRAME);
    ASSERT_EQ(thrower->getComponent<ItemInteractComponent>()->getHeldItem(), rock.get());

    InputManager::getInstance().feedAxisPosition(0, sf::Joystick::U, 100.f);
    scene.holdFire(50, FRAME);
    scene.frame(FRAME);
    ASSERT_TRUE(rock->getComponent<RockComponent>()->isThrown());

    scene.frames(30, FRAME);
    EXPECT_GT(pixelVelocity(*bodyOf(*target)).x, 50.f) << "the hit player is knocked away from the thrower";
    EXPECT_GT(target->getPosition().x, 420.f);
    EXPECT_EQ(target->getComponent<ItemInteractComponent>()->getHeldItem(), nullptr);
    EXPECT_TRUE(rock->isActive());
}

TEST(RockComponentTest, FlyingRockIsNotStoppedByTheGame)
{
    MatchScene scene;
    auto rock = makeRock(scene, {600.f, 300.f});
    scene.frame(FRAME);
    RockComponent& item = *rock->getComponent<RockComponent>();
    b2Body* body = bodyOf(*rock);
    body->SetLinearVelocity(toMetres({-400.f, 0.f}));
    item.setThrown(true);
    item.setThrowVelocity({-400.f, 0.f});

    // Far past where a bomb thrown the same way would have stopped.
    scene.frames(100, FRAME);
    EXPECT_LT(rock->getPosition().x, 250.f);
    EXPECT_NEAR(pixelVelocity(*body).x, -400.f, 1e-2f);
}
