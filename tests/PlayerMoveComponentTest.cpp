#include "PlayerMoveComponent.h"

#include "MatchKit.h"

#include <chrono>
#include <initializer_list>

using namespace zelk;
using namespace zelk::test;

namespace
{

const float FRAME = 0.01f;
const float TOLERANCE = 1e-3f;

class PlayerMoveComponentTest : public ::testing::Test
{
protected:
    PlayerMoveComponentTest() { directory.writeSound("Sounds/water.wav", 0.15f); }

    static InputManager& input() { return InputManager::getInstance(); }

    static void feedStick(float x, float y)
    {
        input().feedAxisPosition(0, sf::Joystick::X, x);
        input().feedAxisPosition(0, sf::Joystick::Y, y);
    }

    // Player 0's keys held for the coming frames: D right, A left, W up, S down.
    static void hold(std::initializer_list<sf::Keyboard::Key> keys)
    {
        for (const auto key : {sf::Keyboard::D, sf::Keyboard::A, sf::Keyboard::W, sf::Keyboard::S})
            input().setLiveKey(key, false);
        for (const auto key : keys)
            input().setLiveKey(key, true);
        input().update();
    }

    static void expectAnimation(const TestPlayer& player, int type, int direction)
    {
        EXPECT_EQ(player.animation->getCurrentType(), type);
        EXPECT_EQ(player.animation->getCurrentDirection(), direction);
    }

    // The 0.15 s splash has played out; the sound mixer may run late on a loaded machine.
    static bool splashEnds(const TestPlayer& player)
    {
        return waitUntil([&] { return player.move->getSplashSound().getStatus() != sf::Sound::Playing; },
                         std::chrono::seconds(10));
    }

    GameDirectory directory;
    MatchScene scene;
};

} // namespace

TEST_F(PlayerMoveComponentTest, TheBodyWalksUprightAndWeightless)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    EXPECT_TRUE(player.body().IsFixedRotation());
    EXPECT_EQ(player.body().GetGravityScale(), 0.f);
    EXPECT_TRUE(player.move->canMove());
}

TEST_F(PlayerMoveComponentTest, AHeldKeyAcceleratesAgainstTheBraking)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({sf::Keyboard::D});

    // +1000 px/s² from the key, -500 px/s² braking.
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 5.f, TOLERANCE);
    EXPECT_NEAR(player.velocity().y, 0.f, TOLERANCE);
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 10.f, TOLERANCE);
    expectAnimation(player, AnimationType::WALKING, Direction::RIGHT);
}

TEST_F(PlayerMoveComponentTest, TheSpeedSettlesJustBelowTheCap)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({sf::Keyboard::S});
    float fastest = 0.f;
    for (int frame = 0; frame < 200; ++frame)
    {
        player.object->update(FRAME);
        fastest = std::max(fastest, player.velocity().y);
    }
    EXPECT_LT(fastest, 200.f);
    EXPECT_GT(player.velocity().y, 190.f);
}

TEST_F(PlayerMoveComponentTest, InputThatWouldReachTheCapIsDroppedAndOnlyBrakingApplies)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({sf::Keyboard::D});

    player.setVelocity({190.f, 0.f});
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 185.f, TOLERANCE);

    player.setVelocity({189.f, 0.f});
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 194.f, TOLERANCE);
}

TEST_F(PlayerMoveComponentTest, AChangeThatSlowsThePlayerIsTakenAboveTheCap)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({sf::Keyboard::A});
    player.setVelocity({250.f, 0.f});

    player.object->update(FRAME);

    EXPECT_NEAR(player.velocity().x, 235.f, TOLERANCE);
    expectAnimation(player, AnimationType::WALKING, Direction::LEFT);
}

TEST_F(PlayerMoveComponentTest, LeftAndRightTogetherCancelAndFaceLeft)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({sf::Keyboard::D, sf::Keyboard::A});

    player.object->update(FRAME);

    EXPECT_EQ(player.velocity(), sf::Vector2f());
    expectAnimation(player, AnimationType::WALKING, Direction::LEFT);
}

TEST_F(PlayerMoveComponentTest, RightAndDownWalkDiagonallyFacingDown)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({sf::Keyboard::D, sf::Keyboard::S});

    player.object->update(FRAME);

    // (10, 10) px/s, then 5 px/s of braking along the motion.
    const float component = 10.f - 5.f / std::sqrt(2.f);
    EXPECT_NEAR(player.velocity().x, component, TOLERANCE);
    EXPECT_NEAR(player.velocity().y, component, TOLERANCE);
    expectAnimation(player, AnimationType::WALKING, Direction::DOWN);
}

TEST_F(PlayerMoveComponentTest, StickValuesUpToTheDeadZoneAreIgnored)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({});
    player.setVelocity({100.f, 0.f});

    feedStick(20.f, -20.f);
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 95.f, TOLERANCE);
    EXPECT_NEAR(player.velocity().y, 0.f, TOLERANCE);
    expectAnimation(player, AnimationType::STANDING, Direction::DOWN);

    // 21 × 10 × 0.01 = 2.1 px/s more than braking alone leaves.
    player.setVelocity({100.f, 0.f});
    feedStick(21.f, 0.f);
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 97.1f, TOLERANCE);
    expectAnimation(player, AnimationType::WALKING, Direction::RIGHT);
}

TEST_F(PlayerMoveComponentTest, TheLastAnimationOfTheFrameWins)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});

    // Vertical keys override horizontal ones.
    hold({sf::Keyboard::W, sf::Keyboard::D});
    player.object->update(FRAME);
    expectAnimation(player, AnimationType::WALKING, Direction::UP);

    // The stick overrides the keys.
    hold({sf::Keyboard::W});
    feedStick(-80.f, 0.f);
    player.object->update(FRAME);
    expectAnimation(player, AnimationType::WALKING, Direction::LEFT);

    // The vertical stick only turns the player when it is the larger deflection.
    hold({sf::Keyboard::D});
    feedStick(60.f, 50.f);
    player.object->update(FRAME);
    expectAnimation(player, AnimationType::WALKING, Direction::RIGHT);
    feedStick(30.f, -90.f);
    player.object->update(FRAME);
    expectAnimation(player, AnimationType::WALKING, Direction::UP);

    // Without input the player stands, facing as before.
    hold({});
    feedStick(0.f, 0.f);
    player.object->update(FRAME);
    expectAnimation(player, AnimationType::STANDING, Direction::UP);
}

TEST_F(PlayerMoveComponentTest, FullStickDeflectionEqualsAKey)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({});
    feedStick(0.f, -100.f);
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().y, -5.f, TOLERANCE);
    expectAnimation(player, AnimationType::WALKING, Direction::UP);
}

TEST_F(PlayerMoveComponentTest, ReleasedInputBrakesToAStandstillWithoutJitter)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({});
    player.setVelocity({12.f, 0.f});

    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 7.f, TOLERANCE);
    player.object->update(FRAME);
    EXPECT_NEAR(player.velocity().x, 2.f, TOLERANCE);
    // The brake of a frame is larger than what is left: the player stops instead of turning round.
    for (int frame = 0; frame < 5; ++frame)
    {
        player.object->update(FRAME);
        EXPECT_EQ(player.velocity(), sf::Vector2f()) << frame;
    }
}

TEST_F(PlayerMoveComponentTest, ASpeedBelowTheStopThresholdEndsTheMotion)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    hold({});
    player.setVelocity({0.05f, 0.05f});
    player.object->update(0.f);
    EXPECT_EQ(player.velocity(), sf::Vector2f());
}

TEST_F(PlayerMoveComponentTest, AFrozenPlayerKeepsItsVelocityAndAnimation)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    makeTrigger(scene, "River", "River", {60.f, 60.f}, {100.f, 100.f});
    scene.step(0.f);
    ASSERT_TRUE(player.move->isInRiver());
    hold({sf::Keyboard::D});
    player.setVelocity({30.f, -20.f});
    player.move->setCanMove(false);

    player.object->update(FRAME);

    EXPECT_NEAR(player.velocity().x, 30.f, TOLERANCE);
    EXPECT_NEAR(player.velocity().y, -20.f, TOLERANCE);
    expectAnimation(player, AnimationType::STANDING, Direction::DOWN);
    EXPECT_NE(player.move->getSplashSound().getStatus(), sf::Sound::Playing);

    player.move->setCanMove(true);
    player.object->update(FRAME);
    expectAnimation(player, AnimationType::WALKING, Direction::RIGHT);
}

TEST_F(PlayerMoveComponentTest, APlayerWithoutAnimationStillWalks)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f}, {3, false});
    hold({sf::Keyboard::D, sf::Keyboard::W});
    feedStick(50.f, 0.f);

    player.object->update(FRAME);

    EXPECT_GT(player.velocity().x, 0.f);
    EXPECT_LT(player.velocity().y, 0.f);
}

TEST_F(PlayerMoveComponentTest, ThePlayerIndexSelectsKeysAndStick)
{
    TestPlayer second(scene, "Player1", {300.f, 100.f}, {3, true, true, 1});
    hold({sf::Keyboard::D});
    second.object->update(FRAME);
    EXPECT_EQ(second.velocity(), sf::Vector2f());

    input().setLiveKey(sf::Keyboard::Left, true);
    input().update();
    input().feedAxisPosition(1, sf::Joystick::Y, 100.f);
    second.object->update(FRAME);
    EXPECT_NEAR(second.velocity().x, -10.f + 5.f / std::sqrt(2.f), TOLERANCE);
    EXPECT_NEAR(second.velocity().y, 10.f - 5.f / std::sqrt(2.f), TOLERANCE);
}

TEST_F(PlayerMoveComponentTest, TheRiverDragsDownstreamUpToItsSpeedAndSplashesOnce)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    makeTrigger(scene, "River", "River", {0.f, 200.f}, {400.f, 400.f});
    hold({});
    scene.step(0.f);
    ASSERT_FALSE(player.move->isInRiver());

    scene.teleport(player.body(), {100.f, 300.f});
    ASSERT_TRUE(player.move->isInRiver());
    player.object->update(FRAME);

    // 1550 px/s² of drift minus 500 px/s² of braking, no sideways change.
    EXPECT_NEAR(player.velocity().y, 10.5f, TOLERANCE);
    EXPECT_EQ(player.velocity().x, 0.f);
    EXPECT_EQ(player.move->getSplashSound().getStatus(), sf::Sound::Playing);
    const float pitch = player.move->getSplashSound().getPitch();
    bool knownPitch = false;
    for (const float candidate : {1.f, 1.1f, 1.2f, 1.3f, 1.4f})
        knownPitch = knownPitch || std::abs(pitch - candidate) < 1e-4f;
    EXPECT_TRUE(knownPitch) << pitch;

    // The drag stops once the downward speed reaches 50 px/s; braking then takes it below again.
    float slowest = 1000.f;
    float fastest = 0.f;
    for (int frame = 0; frame < 100; ++frame)
    {
        player.object->update(FRAME);
        if (frame > 10)
        {
            slowest = std::min(slowest, player.velocity().y);
            fastest = std::max(fastest, player.velocity().y);
        }
    }
    EXPECT_GT(slowest, 40.f);
    EXPECT_LT(fastest, 50.f + 15.5f);

    // Staying in the river does not splash again.
    ASSERT_TRUE(splashEnds(player));
    player.object->update(FRAME);
    EXPECT_NE(player.move->getSplashSound().getStatus(), sf::Sound::Playing);
}

TEST_F(PlayerMoveComponentTest, LeavingAndReenteringTheRiverSplashesAgain)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    makeTrigger(scene, "River", "River", {0.f, 200.f}, {400.f, 400.f});
    hold({});
    scene.teleport(player.body(), {100.f, 300.f});
    player.object->update(FRAME);
    ASSERT_EQ(player.move->getSplashSound().getStatus(), sf::Sound::Playing);
    ASSERT_TRUE(splashEnds(player));

    scene.teleport(player.body(), {100.f, 100.f});
    EXPECT_FALSE(player.move->isInRiver());
    player.setVelocity({});
    player.object->update(FRAME);
    EXPECT_EQ(player.velocity(), sf::Vector2f());
    EXPECT_NE(player.move->getSplashSound().getStatus(), sf::Sound::Playing);

    scene.teleport(player.body(), {100.f, 300.f});
    player.object->update(FRAME);
    EXPECT_EQ(player.move->getSplashSound().getStatus(), sf::Sound::Playing);
}

TEST_F(PlayerMoveComponentTest, OnlyTheExactRiverCategoryDrags)
{
    TestPlayer player(scene, "Player0", {100.f, 100.f});
    // 0x0016 shares bits with 0x0004 and 0x0002; neither of them, nor a superset, is a river.
    auto riverBits = makeTrigger(scene, "Bits", "", {0.f, 200.f}, {400.f, 400.f});
    setCategory(*riverBits, CollisionCategory::RIVER | CollisionCategory::WALL);
    hold({});
    scene.teleport(player.body(), {100.f, 300.f});
    EXPECT_FALSE(player.move->isInRiver());
    player.object->update(FRAME);
    EXPECT_EQ(player.velocity(), sf::Vector2f());
}
