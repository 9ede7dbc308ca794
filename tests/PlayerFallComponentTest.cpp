#include "PlayerFallComponent.h"

#include "MatchKit.h"

using namespace zelk;
using namespace zelk::test;

namespace
{

const sf::Vector2f HOME(100.f, 100.f);
const sf::Vector2f KILLZONE_CORNER(300.f, 300.f);
const sf::Vector2f INSIDE_KILLZONE(320.f, 320.f);
// Quarter seconds add up exactly, so the fall's end lands on a known frame.
const float QUARTER = 0.25f;

class PlayerFallComponentTest : public ::testing::Test
{
protected:
    PlayerFallComponentTest() { makeTrigger(scene, "Killzone", "Killzone", KILLZONE_CORNER, {64.f, 64.f}); }

    void expectStandingAtHome(const TestPlayer& player) const
    {
        EXPECT_FALSE(player.fall->isFalling());
        EXPECT_NEAR(player.position().x, HOME.x, 1e-3f);
        EXPECT_NEAR(player.position().y, HOME.y, 1e-3f);
        EXPECT_EQ(player.body().GetAngle(), 0.f);
        EXPECT_EQ(player.velocity(), sf::Vector2f());
        EXPECT_EQ(player.body().GetAngularVelocity(), 0.f);
        EXPECT_TRUE(player.body().IsFixedRotation());
        EXPECT_EQ(player.body().GetGravityScale(), 0.f);
        EXPECT_TRUE(player.collider->isEnabled());
        if (player.move)
        {
            EXPECT_TRUE(player.move->canMove());
        }
    }

    // Frames until the fall is over; the respawn move shows after that frame's step.
    int framesUntilRespawn(TestPlayer& player)
    {
        int frames = 0;
        while (player.fall->isFalling() && frames < 100)
        {
            scene.frame(QUARTER);
            ++frames;
        }
        return frames;
    }

    GameDirectory directory;
    MatchScene scene;
};

} // namespace

TEST_F(PlayerFallComponentTest, AKillzoneContactStartsASpinningFallWithoutControl)
{
    TestPlayer player(scene, "Player0", HOME);
    scene.step(0.f);
    ASSERT_FALSE(player.fall->isFalling());

    // The contact begins early in the step; the torque and gravity act in the same step's solve.
    player.body().SetTransform(toMetres(INSIDE_KILLZONE), 0.f);
    scene.step(0.1f);

    EXPECT_TRUE(player.fall->isFalling());
    EXPECT_FALSE(player.move->canMove());
    EXPECT_FALSE(player.collider->isEnabled());
    EXPECT_FALSE(player.body().IsFixedRotation());
    EXPECT_EQ(player.body().GetGravityScale(), 1.f);
    EXPECT_EQ(player.health->getHealth(), 2);
    EXPECT_LT(player.body().GetAngularVelocity(), 0.f);
    EXPECT_GT(player.velocity().y, 0.f);

    // Nothing brakes the spin or the drop while falling.
    const float spin = player.body().GetAngularVelocity();
    scene.frame(0.1f);
    EXPECT_EQ(player.body().GetAngularVelocity(), spin);
    EXPECT_GT(player.velocity().y, 9.8f * 0.2f * PIXELS_PER_METRE - 1e-3f);
}

TEST_F(PlayerFallComponentTest, TheFirstFallLastsOneSecondThenThePlayerBlinksAndLaterFallsLastTwo)
{
    TestPlayer player(scene, "Player0", HOME);
    scene.teleport(player.body(), INSIDE_KILLZONE);
    ASSERT_TRUE(player.fall->isFalling());
    EXPECT_FALSE(player.animation->isBlinking());

    EXPECT_EQ(framesUntilRespawn(player), 4);
    expectStandingAtHome(player);
    EXPECT_TRUE(player.animation->isBlinking()) << "back home, it blinks while it can already walk";

    scene.teleport(player.body(), INSIDE_KILLZONE);
    ASSERT_TRUE(player.fall->isFalling());
    EXPECT_EQ(framesUntilRespawn(player), 8);
    expectStandingAtHome(player);
    EXPECT_EQ(player.health->getHealth(), 1);
    // The blink lasts a second.
    scene.frames(5, QUARTER);
    EXPECT_FALSE(player.animation->isBlinking());
}

TEST_F(PlayerFallComponentTest, TwoKillzoneFixturesInOneStepCostOnePointAndOneFall)
{
    TestPlayer player(scene, "Player0", HOME);
    makeTrigger(scene, "Killzone2", "Killzone", KILLZONE_CORNER + sf::Vector2f(8.f, 8.f), {64.f, 64.f});
    int notifications = 0;
    player.health->addHealthCallback([&](int, GameObject&) { ++notifications; });

    scene.teleport(player.body(), INSIDE_KILLZONE + sf::Vector2f(10.f, 10.f));

    EXPECT_EQ(player.health->getHealth(), 2);
    EXPECT_EQ(notifications, 1);
    EXPECT_TRUE(player.fall->isFalling());
    // More killzone contacts during the fall cost nothing either.
    scene.teleport(player.body(), {600.f, 600.f});
    scene.teleport(player.body(), INSIDE_KILLZONE);
    EXPECT_EQ(player.health->getHealth(), 2);
}

TEST_F(PlayerFallComponentTest, AFallEndingInsideAnotherKillzoneCostsNoSecondPoint)
{
    // Long frames: the falling body sinks into this second killzone only in the fall's last frame,
    // so Box2D reports that contact in the step of the frame in which the fall ends.
    TestPlayer player(scene, "Player0", HOME);
    makeTrigger(scene, "KillzoneBelow", "Killzone", KILLZONE_CORNER + sf::Vector2f(0.f, 100.f), {64.f, 64.f});
    scene.teleport(player.body(), INSIDE_KILLZONE);
    scene.frames(3, QUARTER);
    ASSERT_TRUE(player.fall->isFalling());
    ASSERT_GT(player.position().y + 8.f, KILLZONE_CORNER.y + 100.f) << "inside the lower killzone";

    scene.frame(QUARTER);
    expectStandingAtHome(player);
    scene.frame(QUARTER);
    EXPECT_FALSE(player.fall->isFalling());
    EXPECT_EQ(player.health->getHealth(), 2);
}

TEST_F(PlayerFallComponentTest, ACarriedItemIsParkedAtOnceAndTheHandsStayEmpty)
{
    TestPlayer player(scene, "Player0", HOME);
    auto rock = makeRock(scene, HOME);
    scene.step(0.f);
    ASSERT_EQ(player.interact->getHeldItem(), rock.get());

    scene.teleport(player.body(), INSIDE_KILLZONE);

    EXPECT_EQ(player.interact->getHeldItem(), nullptr);
    EXPECT_FALSE(rock->isActive());
    EXPECT_FALSE(rock->getComponent<RockComponent>()->isHeld());
    scene.step(0.f);
    EXPECT_FALSE(rock->getComponent<RigidBodyComponent>()->getBody()->IsEnabled());

    framesUntilRespawn(player);
    EXPECT_EQ(player.interact->getHeldItem(), nullptr);
}

TEST_F(PlayerFallComponentTest, ResetDuringAFallSendsThePlayerHomeAtOnceWithoutBlinkingAndIsHarmlessWithout)
{
    TestPlayer player(scene, "Player0", HOME);
    // Without a fall a reset changes nothing.
    player.fall->reset();
    scene.step(0.f);
    expectStandingAtHome(player);
    EXPECT_EQ(player.health->getHealth(), 3);

    scene.teleport(player.body(), INSIDE_KILLZONE);
    scene.frames(2, QUARTER);
    ASSERT_TRUE(player.fall->isFalling());

    player.fall->reset();
    EXPECT_FALSE(player.fall->isFalling());
    EXPECT_TRUE(player.move->canMove());
    scene.step(0.f);

    expectStandingAtHome(player);
    EXPECT_FALSE(player.animation->isBlinking());
    // The timer was re-armed: the next fall is a long one.
    scene.teleport(player.body(), INSIDE_KILLZONE);
    EXPECT_EQ(framesUntilRespawn(player), 8);
}

TEST_F(PlayerFallComponentTest, APlayerWithoutHeartsSheetOrControlsStillFallsAndComesBack)
{
    TestPlayer player(scene, "Player0", HOME, {-1, false, false});

    scene.teleport(player.body(), INSIDE_KILLZONE);
    EXPECT_TRUE(player.fall->isFalling());
    EXPECT_EQ(framesUntilRespawn(player), 4);
    expectStandingAtHome(player);
}

TEST_F(PlayerFallComponentTest, AFallOutOfTheRiverLeavesNoDriftAfterRespawn)
{
    TestPlayer player(scene, "Player0", HOME);
    makeTrigger(scene, "River", "River", {280.f, 280.f}, {200.f, 200.f});
    scene.teleport(player.body(), {450.f, 450.f});
    ASSERT_TRUE(player.move->isInRiver());

    // Into the killzone inside the river, then out of the river while the collider is off.
    scene.teleport(player.body(), INSIDE_KILLZONE);
    ASSERT_TRUE(player.fall->isFalling());
    scene.teleport(player.body(), {900.f, 900.f});
    framesUntilRespawn(player);
    expectStandingAtHome(player);

    scene.frame(0.01f);
    scene.frame(0.01f);
    EXPECT_EQ(player.velocity(), sf::Vector2f());
}
