// The bomb's stop, fuse, explosion and parking, with bombs built by a real item pool and bodies in
// the real world.

#include "BombComponent.h"

#include "MatchKit.h"

using namespace zelk;
using namespace zelk::test;

namespace
{

constexpr float FRAME = 0.01f;
const sf::Vector2f BOMB_POSITION(600.f, 300.f);

BombComponent& bombOf(const std::shared_ptr<GameObject>& object)
{
    return *object->getComponent<BombComponent>();
}

float circleRadius(const GameObject& bomb)
{
    return fixtureOf(bomb)->GetShape()->m_radius;
}

// What a player's throw does to the item's body and flags.
void throwBomb(const std::shared_ptr<GameObject>& bomb, sf::Vector2f velocity)
{
    b2Body* body = bodyOf(*bomb);
    body->SetGravityScale(1.f);
    fixtureOf(*bomb)->SetSensor(false);
    body->SetLinearVelocity(body->GetLinearVelocity() + toMetres(velocity));
    bombOf(bomb).setThrown(true);
    bombOf(bomb).setThrowVelocity(velocity);
}

// A trigger without a type (category 1, like a player) on the position: its touch stops a thrown bomb.
void addTouch(MatchScene& scene, sf::Vector2f position)
{
    makeTrigger(scene, "Touch", "", position - sf::Vector2f(6.f, 6.f), {12.f, 12.f});
}

// Stops a lying bomb where it is, the way touching a player does.
void stopInPlace(MatchScene& scene, const std::shared_ptr<GameObject>& bomb)
{
    bombOf(bomb).setThrown(true);
    addTouch(scene, bomb->getPosition());
    scene.frame(FRAME);
    ASSERT_TRUE(bombOf(bomb).isExploding());
}

// A bomb from a real pool, lying in play at BOMB_POSITION for one frame.
std::shared_ptr<GameObject> lyingBomb(MatchScene& scene)
{
    auto bomb = makeItem(scene, ItemPool::BOMB, BOMB_POSITION);
    scene.frame(FRAME);
    return bomb;
}

void runUntilExplosionTimerPasses(MatchScene& scene, const std::shared_ptr<GameObject>& bomb, float seconds)
{
    for (int guard = 0; guard < 1000 && bomb->isActive() && bombOf(bomb).getExplosionTimer() <= seconds; ++guard)
        scene.frame(FRAME);
}

// Parked as the pool made it: idle, small, blocking nothing, and (after the step) switched off at home.
void expectParkedIdle(MatchScene& scene, const std::shared_ptr<GameObject>& bomb)
{
    EXPECT_FALSE(bomb->isActive());
    EXPECT_FALSE(bombOf(bomb).isExploding());
    EXPECT_FLOAT_EQ(bombOf(bomb).getFuseTimer(), 0.f);
    EXPECT_FLOAT_EQ(bombOf(bomb).getExplosionTimer(), 0.f);
    EXPECT_FLOAT_EQ(circleRadius(*bomb), 0.5f);
    EXPECT_TRUE(fixtureOf(*bomb)->IsSensor());
    EXPECT_EQ(bomb->getComponent<AnimationRenderComponent>()->getCurrentType(), AnimationType::BOMB_IDLE);
    scene.frame(FRAME);
    EXPECT_FALSE(bodyOf(*bomb)->IsEnabled());
    EXPECT_EQ(bomb->getPosition(), sf::Vector2f(0.f, 0.f));
}

// Every case plays in a match scene of its own.
class BombComponentTest : public ::testing::Test
{
protected:
    MatchScene scene;
};

} // namespace

TEST_F(BombComponentTest, ThrownLeftAt400FromX600StopsPastX400AndExplodesASecondLater)
{
    auto bomb = lyingBomb(scene);
    throwBomb(bomb, {-400.f, 0.f});

    // The update sees the position of the previous step; record what each update saw.
    float seenBeforeStop = bomb->getPosition().x;
    float seen = seenBeforeStop;
    int frames = 0;
    while (!bombOf(bomb).isExploding() && frames < 200)
    {
        seenBeforeStop = seen;
        seen = bomb->getPosition().x;
        scene.frame(FRAME);
        ++frames;
    }
    ASSERT_TRUE(bombOf(bomb).isExploding());
    EXPECT_GE(seenBeforeStop, 400.f - 1e-3f) << "not stopped before it passed x = 400";
    EXPECT_LT(seen, 400.f);
    const float stopX = bomb->getPosition().x;
    EXPECT_FLOAT_EQ(stopX, seen) << "stopped where it was seen";
    b2Body* body = bodyOf(*bomb);
    EXPECT_EQ(body->GetLinearVelocity(), b2Vec2(0.f, 0.f));
    EXPECT_FLOAT_EQ(body->GetGravityScale(), 0.f);
    EXPECT_TRUE(fixtureOf(*bomb)->IsSensor()) << "a stopped bomb blocks nothing";

    int fuseFrames = 0;
    while (bombOf(bomb).getExplosionTimer() == 0.f && fuseFrames < 300)
    {
        scene.frame(FRAME);
        ++fuseFrames;
        EXPECT_NEAR(bomb->getPosition().x, stopX, 1e-3f) << "the stopped bomb stays put";
    }
    // The fuse counts from the stopping frame on; it must run past 1.0 s.
    EXPECT_NEAR((fuseFrames + 1) * FRAME, 1.0f, 1.5f * FRAME);
    EXPECT_FLOAT_EQ(circleRadius(*bomb), 2.f);
    EXPECT_EQ(bomb->getComponent<AnimationRenderComponent>()->getCurrentType(), AnimationType::BOMB_EXPLOSION);
}

TEST_F(BombComponentTest, PlayerThrownBombStopsOnTheOtherPlayer)
{
    auto thrower = makeStandingPlayer(scene, "Player0", {300.f, 300.f}, 0);
    auto target = makeStandingPlayer(scene, "Player1", {420.f, 300.f}, 1);
    auto bomb = makeItem(scene, ItemPool::BOMB, {300.f, 300.f});
    scene.frame(FRAME);
    ASSERT_EQ(thrower->getComponent<ItemInteractComponent>()->getHeldItem(), bomb.get());

    InputManager::getInstance().feedAxisPosition(0, sf::Joystick::U, 100.f);
    scene.holdFire(30, FRAME);
    scene.frame(FRAME);
    ASSERT_TRUE(bombOf(bomb).isThrown());

    for (int i = 0; i < 100 && !bombOf(bomb).isExploding(); ++i)
        scene.frame(FRAME);
    ASSERT_TRUE(bombOf(bomb).isExploding());
    // Stopped by the touch, well before its stop distance (342 + 150 px).
    EXPECT_LT(bomb->getPosition().x, 420.f);
    EXPECT_GT(bomb->getPosition().x, 380.f);
}

TEST_F(BombComponentTest, LyingBombTouchedByAPlayerDoesNotStart)
{
    auto bomb = lyingBomb(scene);
    addTouch(scene, BOMB_POSITION);
    scene.frames(150, FRAME);
    EXPECT_FALSE(bombOf(bomb).isExploding());
    EXPECT_FLOAT_EQ(bombOf(bomb).getFuseTimer(), 0.f);
}

TEST_F(BombComponentTest, FlyingBombPassesThroughWallsAndKillzones)
{
    auto bomb = lyingBomb(scene);
    makeWall(scene, "Wall", {450.f, 345.f}, {300.f, 30.f});
    makeTrigger(scene, "Killzone", "Killzone", {450.f, 405.f}, {300.f, 30.f});
    throwBomb(bomb, {0.f, 300.f});

    scene.frames(60, FRAME);
    EXPECT_FALSE(bombOf(bomb).isExploding());
    EXPECT_GT(bomb->getPosition().y, 460.f);
}

TEST_F(BombComponentTest, ExplosionPushesWhatReachesIntoTheSquareNotWhatIsMerelyClose)
{
    auto bomb = lyingBomb(scene);
    // Diagonal: 90.5 px from the centre, its box reaches into the 120 px square.
    auto diagonal = makeStandingPlayer(scene, "Player0", BOMB_POSITION + sf::Vector2f(64.f, 64.f), 0);
    // Beside: only 75 px away, but its box stays outside the square.
    auto beside = makeStandingPlayer(scene, "Player1", BOMB_POSITION + sf::Vector2f(-75.f, 0.f), 1);
    // Touching the thrown bomb stops it right under this player, who is pushed straight up.
    bombOf(bomb).setThrown(true);
    auto centre = makeStandingPlayer(scene, "Player2", BOMB_POSITION, 1);
    scene.frame(FRAME);
    ASSERT_TRUE(bombOf(bomb).isExploding());
    ASSERT_EQ(toPixels(bodyOf(*centre)->GetPosition()), bomb->getPosition());

    runUntilExplosionTimerPasses(scene, bomb, 0.f);
    ASSERT_GT(bombOf(bomb).getExplosionTimer(), 0.f);
    EXPECT_EQ(bodyOf(*diagonal)->GetLinearVelocity(), b2Vec2(0.f, 0.f)) << "nothing is pushed before 0.1 s";

    runUntilExplosionTimerPasses(scene, bomb, BombComponent::PUSH_START);
    const sf::Vector2f pushed = pixelVelocity(*bodyOf(*diagonal));
    EXPECT_NEAR(lengthOf(pushed), 1000.f, 0.5f);
    EXPECT_NEAR(pushed.x, pushed.y, 0.5f);
    EXPECT_GT(pushed.x, 0.f);
    EXPECT_EQ(bodyOf(*beside)->GetLinearVelocity(), b2Vec2(0.f, 0.f));
    const sf::Vector2f up = pixelVelocity(*bodyOf(*centre));
    EXPECT_TRUE(std::isfinite(up.x) && std::isfinite(up.y));
    EXPECT_TRUE(isNear(up, {0.f, -1000.f}, 0.5f));
}

TEST_F(BombComponentTest, PushRepeatsEveryFrameFromATenthToEightTenthsOfASecond)
{
    auto bomb = lyingBomb(scene);
    const sf::Vector2f playerPosition = BOMB_POSITION + sf::Vector2f(0.f, 40.f);
    auto player = makeStandingPlayer(scene, "Player0", playerPosition, 0);
    stopInPlace(scene, bomb);
    runUntilExplosionTimerPasses(scene, bomb, 0.f);

    int pushedFrames = 0;
    for (int i = 0; i < 200 && bomb->isActive(); ++i)
    {
        // Held in place, so only this frame's push can give it speed.
        b2Body* body = bodyOf(*player);
        body->SetLinearVelocity(b2Vec2(0.f, 0.f));
        body->SetTransform(toMetres(playerPosition), 0.f);
        scene.updateObjects(FRAME);
        const float timer = bombOf(bomb).getExplosionTimer();
        const sf::Vector2f velocity = pixelVelocity(*body);
        if (bomb->isActive() && timer > BombComponent::PUSH_START)
        {
            EXPECT_TRUE(isNear(velocity, {0.f, 1000.f}, 0.5f)) << "at " << timer << " s";
            ++pushedFrames;
        }
        else
        {
            EXPECT_EQ(velocity, sf::Vector2f(0.f, 0.f)) << "at " << timer << " s";
        }
        scene.step(FRAME);
    }
    EXPECT_FALSE(bomb->isActive());
    EXPECT_NEAR(pushedFrames, 70, 2);
}

TEST_F(BombComponentTest, BombsDoNotPushEachOther)
{
    const auto bombs = makeItems(scene, ItemPool::BOMB, 2);
    const auto& exploding = bombs[0];
    const auto& lying = bombs[1];
    putInPlay(scene, *exploding, BOMB_POSITION);
    putInPlay(scene, *lying, BOMB_POSITION + sf::Vector2f(30.f, 0.f));
    auto player = makeStandingPlayer(scene, "Player0", BOMB_POSITION + sf::Vector2f(0.f, -40.f), 0);
    scene.frame(FRAME);
    // The player must not carry the lying bomb off: it stands beside both only.
    ASSERT_EQ(player->getComponent<ItemInteractComponent>()->getHeldItem(), nullptr);
    stopInPlace(scene, exploding);

    runUntilExplosionTimerPasses(scene, exploding, 0.5f);
    EXPECT_GT(lengthOf(pixelVelocity(*bodyOf(*player))), 900.f) << "the explosion does push players";
    EXPECT_EQ(bodyOf(*lying)->GetLinearVelocity(), b2Vec2(0.f, 0.f));
    EXPECT_TRUE(isNear(lying->getPosition(), BOMB_POSITION + sf::Vector2f(30.f, 0.f)));
    EXPECT_FALSE(bombOf(lying).isExploding());
}

TEST_F(BombComponentTest, RestartDuringTheFuseOrTheExplosionParksAnIdleBomb)
{
    const auto bombs = makeItems(scene, ItemPool::BOMB, 2);
    const auto& fusing = bombs[0];
    const auto& exploding = bombs[1];
    // Far apart, so that neither explosion reaches the other bomb.
    putInPlay(scene, *exploding, BOMB_POSITION + sf::Vector2f(300.f, 0.f));
    stopInPlace(scene, exploding);
    scene.frames(50, FRAME);
    putInPlay(scene, *fusing, BOMB_POSITION);
    stopInPlace(scene, fusing);
    runUntilExplosionTimerPasses(scene, exploding, 0.3f);
    ASSERT_GT(bombOf(fusing).getFuseTimer(), 0.4f);
    ASSERT_FLOAT_EQ(circleRadius(*exploding), 2.f);
    ASSERT_EQ(exploding->getComponent<AnimationRenderComponent>()->getCurrentType(), AnimationType::BOMB_EXPLOSION);

    for (const auto& bomb : bombs)
    {
        bombOf(bomb).deactivate();
        expectParkedIdle(scene, bomb);
    }
}

TEST_F(BombComponentTest, ExplosionEndsByParkingTheBombAboutOnePointEightSecondsAfterItStopped)
{
    auto bomb = lyingBomb(scene);
    stopInPlace(scene, bomb);

    int frames = 1;
    while (bomb->isActive() && frames < 400)
    {
        scene.frame(FRAME);
        ++frames;
    }
    EXPECT_NEAR(frames * FRAME, 1.8f, 3 * FRAME);
    expectParkedIdle(scene, bomb);
}

TEST_F(BombComponentTest, BombParkedBeforeALateTouchIsNotPrimedForItsNextTurn)
{
    auto bomb = lyingBomb(scene);
    throwBomb(bomb, {0.f, 0.f});
    bodyOf(*bomb)->SetGravityScale(0.f);
    scene.frame(FRAME);

    // A restart parks the flying bomb in the update pass; a player lands on it in the same frame,
    // while its body still waits for the end of the step to be switched off.
    scene.updateObjects(FRAME);
    bombOf(bomb).deactivate();
    makeStandingPlayer(scene, "Player1", BOMB_POSITION, 1);
    scene.step(FRAME);
    EXPECT_FALSE(bombOf(bomb).isExploding());

    putInPlay(scene, *bomb, {200.f, 200.f});
    scene.frames(250, FRAME);
    EXPECT_TRUE(bomb->isActive());
    EXPECT_FLOAT_EQ(bombOf(bomb).getFuseTimer(), 0.f);
    EXPECT_FLOAT_EQ(bombOf(bomb).getExplosionTimer(), 0.f);
}

TEST_F(BombComponentTest, LifetimeEndingInFlightLeavesNoPrimedBomb)
{
    auto bomb = lyingBomb(scene);
    throwBomb(bomb, {-400.f, 0.f});
    bombOf(bomb).setActiveTime(ItemComponent::DEFAULT_LIFETIME - 0.005f);

    scene.frame(FRAME);
    EXPECT_FALSE(bomb->isActive());
    // Parked at home (x = 0), which lies far past its stop distance: that must not start a fuse.
    EXPECT_FALSE(bombOf(bomb).isExploding());
    EXPECT_FLOAT_EQ(bombOf(bomb).getFuseTimer(), 0.f);
}

TEST_F(BombComponentTest, BombWithoutColliderOrAnimationStillRunsItsCourse)
{
    auto object = std::make_shared<GameObject>("Bomb_X");
    auto rigidBody = object->addComponent<RigidBodyComponent>(*object, b2_dynamicBody);
    auto bomb = object->addComponent<BombComponent>(*object, *rigidBody, 1000.f, 60.f);
    ASSERT_TRUE(object->init());
    scene.objects().addGameObject(object);
    b2Body* body = rigidBody->getBody();
    body->SetTransform(toMetres(BOMB_POSITION), 0.f);
    object->setPosition(BOMB_POSITION);
    body->SetLinearVelocity(toMetres({-400.f, 0.f}));
    bomb->setThrown(true);
    bomb->setThrowVelocity({-400.f, 0.f});

    int frames = 0;
    while (object->isActive() && frames < 400)
    {
        scene.frame(FRAME);
        ++frames;
    }
    EXPECT_FALSE(object->isActive());
    EXPECT_GT(frames * FRAME, 2.f) << "stop after 0.5 s, fuse 1 s, explosion 0.8 s";
}
