#include "PlayerMoveComponent.h"

#include "MatchKit.h"

#include <chrono>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace
{

const float FRAME = 0.01f;
const float TOLERANCE = 1e-3f;

// One frame of walking: what is held, the velocity before, and what the frame must give.
struct Walk
{
    const char* name;
    std::vector<sf::Keyboard::Key> keys;
    sf::Vector2f stick;
    sf::Vector2f start;
    float deltaTime;
    sf::Vector2f expected;
    int type = -1; // no animation to check
    int direction = 0;
};

void PrintTo(const Walk& walk, std::ostream* out)
{
    *out << walk.name;
}

class PlayerMoveComponentTest : public ::testing::TestWithParam<Walk>
{
protected:
    static InputManager& input() { return InputManager::getInstance(); }

    static void feedStick(float x, float y)
    {
        input().feedAxisPosition(0, sf::Joystick::X, x);
        input().feedAxisPosition(0, sf::Joystick::Y, y);
    }

    // Player 0's keys held for the coming frames: D right, A left, W up, S down.
    static void hold(const std::vector<sf::Keyboard::Key>& keys)
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
    // Written before the player loads it.
    std::filesystem::path splash = directory.writeSound("Sounds/water.wav", 0.15f);
    MatchScene scene;
    TestPlayer player{scene, "Player0", {100.f, 100.f}};
};

} // namespace

// One frame from a given velocity: key acceleration of 1000 px/s², stick acceleration of 10 px/s²
// per percent past the dead zone of 20, braking of 500 px/s² against the motion, and the cap of
// 200 px/s that input may not reach.
TEST_P(PlayerMoveComponentTest, OneFrameOfInputAndBraking)
{
    const Walk& walk = GetParam();
    EXPECT_TRUE(player.body().IsFixedRotation());
    EXPECT_EQ(player.body().GetGravityScale(), 0.f);
    hold(walk.keys);
    feedStick(walk.stick.x, walk.stick.y);
    player.setVelocity(walk.start);

    player.object->update(walk.deltaTime);

    EXPECT_TRUE(isNear(player.velocity(), walk.expected, TOLERANCE));
    if (walk.type >= 0)
        expectAnimation(player, walk.type, walk.direction);
}

const float DIAGONAL = 10.f - 5.f / std::sqrt(2.f); // (10, 10) px/s, then braking along the motion

INSTANTIATE_TEST_SUITE_P(
    Walking, PlayerMoveComponentTest,
    ::testing::Values(
        Walk{"KeyAcceleratesAgainstTheBraking", {sf::Keyboard::D}, {}, {}, FRAME, {5.f, 0.f},
             AnimationType::WALKING, Direction::RIGHT},
        Walk{"InputThatWouldReachTheCapIsDropped", {sf::Keyboard::D}, {}, {190.f, 0.f}, FRAME, {185.f, 0.f}},
        Walk{"InputJustBelowTheCapIsTaken", {sf::Keyboard::D}, {}, {189.f, 0.f}, FRAME, {194.f, 0.f}},
        Walk{"SlowingIsTakenAboveTheCap", {sf::Keyboard::A}, {}, {250.f, 0.f}, FRAME, {235.f, 0.f},
             AnimationType::WALKING, Direction::LEFT},
        Walk{"LeftAndRightCancelAndFaceLeft", {sf::Keyboard::D, sf::Keyboard::A}, {}, {}, FRAME, {},
             AnimationType::WALKING, Direction::LEFT},
        Walk{"RightAndDownWalkDiagonallyFacingDown", {sf::Keyboard::D, sf::Keyboard::S}, {}, {}, FRAME,
             {DIAGONAL, DIAGONAL}, AnimationType::WALKING, Direction::DOWN},
        Walk{"StickInsideTheDeadZoneIsIgnored", {}, {20.f, -20.f}, {100.f, 0.f}, FRAME, {95.f, 0.f},
             AnimationType::STANDING, Direction::DOWN},
        // 21 x 10 x 0.01 = 2.1 px/s more than braking alone leaves.
        Walk{"StickPastTheDeadZoneWalks", {}, {21.f, 0.f}, {100.f, 0.f}, FRAME, {97.1f, 0.f},
             AnimationType::WALKING, Direction::RIGHT},
        Walk{"FullStickDeflectionEqualsAKey", {}, {0.f, -100.f}, {}, FRAME, {0.f, -5.f},
             AnimationType::WALKING, Direction::UP},
        Walk{"ReleasedInputBrakes", {}, {}, {12.f, 0.f}, FRAME, {7.f, 0.f}},
        // The brake of a frame is larger than what is left: the player stops instead of turning round.
        Walk{"BrakingStopsWithoutJitter", {}, {}, {2.f, 0.f}, FRAME, {}},
        Walk{"AStandingPlayerStaysPut", {}, {}, {}, FRAME, {}},
        Walk{"ASpeedBelowTheStopThresholdEndsTheMotion", {}, {}, {0.05f, 0.05f}, 0.f, {}}),
    [](const ::testing::TestParamInfo<Walk>& info) { return std::string(info.param.name); });

TEST_F(PlayerMoveComponentTest, TheLastAnimationOfTheFrameWins)
{

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

TEST_F(PlayerMoveComponentTest, AFrozenPlayerKeepsItsVelocityAndAnimation)
{
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
    TestPlayer plain(scene, "Plain", {300.f, 100.f}, {3, false});
    hold({sf::Keyboard::D, sf::Keyboard::W});
    feedStick(50.f, 0.f);

    plain.object->update(FRAME);

    EXPECT_GT(plain.velocity().x, 0.f);
    EXPECT_LT(plain.velocity().y, 0.f);
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

TEST_F(PlayerMoveComponentTest, TheRiverDragsDownstreamUpToItsSpeedAndSplashesOncePerEntry)
{
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

    // Out of it, nothing drags or splashes; back in, it splashes again.
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
    // 0x0016 shares bits with 0x0004 and 0x0002; neither of them, nor a superset, is a river.
    auto riverBits = makeTrigger(scene, "Bits", "", {0.f, 200.f}, {400.f, 400.f});
    setCategory(*riverBits, CollisionCategory::RIVER | CollisionCategory::WALL);
    hold({});
    scene.teleport(player.body(), {100.f, 300.f});
    EXPECT_FALSE(player.move->isInRiver());
    player.object->update(FRAME);
    EXPECT_EQ(player.velocity(), sf::Vector2f());
}
