#include "HealthComponent.h"

#include "MatchKit.h"

#include <chrono>
#include <string>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace
{

struct Notification
{
    int health;
    GameObject* object;
};

// Health, a body and a player's box, without the parts of a map player that react to a fall, so
// every killzone entry reaches the health.
struct HealthyPlayer
{
    explicit HealthyPlayer(int health)
        : made(makeBody("Player0", {100.f, 100.f}, b2_dynamicBody))
        , health(made.object->addComponent<HealthComponent>(*made.object, health))
    {
        made.body()->SetGravityScale(0.f);
        addBoxCollider(made, {8.f * METRES_PER_PIXEL, 8.f * METRES_PER_PIXEL});
        made.object->init();
    }

    b2Body& b2() const { return *made.body(); }

    PhysicsObject made;
    std::shared_ptr<HealthComponent> health;
};

class HealthComponentTest : public ::testing::Test
{
protected:
    void SetUp() override { directory.writeSound("Sounds/loseHealth2.wav", 2.f); }

    GameDirectory directory;
    MatchScene scene;
};

} // namespace

TEST_F(HealthComponentTest, EveryKillzoneEntryCostsOnePointPlaysTheHitAndNotifiesEvenBelowZero)
{
    // Without a falling component nothing switches the collider off, so each entry counts.
    HealthyPlayer player(1);
    makeTrigger(scene, "Killzone", "Killzone", {300.f, 300.f}, {64.f, 64.f});
    std::vector<Notification> notifications;
    player.health->addHealthCallback(
        [&](int health, GameObject& object) { notifications.push_back({health, &object}); });
    scene.step();
    ASSERT_TRUE(notifications.empty());
    EXPECT_NE(player.health->getHitSound().getStatus(), sf::Sound::Playing);

    scene.teleport(player.b2(), {320.f, 320.f});

    EXPECT_EQ(player.health->getHealth(), 0);
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].health, 0);
    EXPECT_EQ(notifications[0].object, player.made.object.get());
    EXPECT_EQ(player.health->getHitSound().getStatus(), sf::Sound::Playing);

    scene.teleport(player.b2(), {100.f, 100.f});
    scene.teleport(player.b2(), {320.f, 320.f});
    EXPECT_EQ(player.health->getHealth(), -1);
    EXPECT_EQ(notifications.size(), 2u);
}

TEST_F(HealthComponentTest, OnlyTheExactKillzoneCategoryCostsHealth)
{
    HealthyPlayer player(3);
    // A trigger whose category merely contains the killzone bit is not a killzone.
    makeTrigger(scene, "River", "River", {300.f, 300.f}, {64.f, 64.f});
    auto mixed = makeTrigger(scene, "Mixed", "", {500.f, 300.f}, {64.f, 64.f});
    setCategory(*mixed, CollisionCategory::KILLZONE | CollisionCategory::PLAYER);
    makeTrigger(scene, "Plain", "", {700.f, 300.f}, {64.f, 64.f});
    makeWall(scene, "Wall", {900.f, 300.f}, {64.f, 64.f});
    scene.step();

    for (const float x : {320.f, 520.f, 720.f, 920.f})
        scene.teleport(player.b2(), {x, 320.f});

    EXPECT_EQ(player.health->getHealth(), 3);
    EXPECT_NE(player.health->getHitSound().getStatus(), sf::Sound::Playing);
}

TEST_F(HealthComponentTest, ASecondHitWhileTheSoundPlaysDoesNotRestartIt)
{
    HealthyPlayer player(3);
    makeTrigger(scene, "Killzone", "Killzone", {300.f, 300.f}, {64.f, 64.f});
    scene.step();
    scene.teleport(player.b2(), {320.f, 320.f});
    ASSERT_EQ(player.health->getHitSound().getStatus(), sf::Sound::Playing);

    const sf::Sound& hit = player.health->getHitSound();
    // Far enough in that a restart from the beginning would show.
    ASSERT_TRUE(waitUntil([&] { return hit.getPlayingOffset() >= sf::milliseconds(300); }, std::chrono::seconds(10)))
        << "the sound device does not advance playback";
    const sf::Time before = hit.getPlayingOffset();
    scene.teleport(player.b2(), {100.f, 100.f});
    scene.teleport(player.b2(), {320.f, 320.f});

    EXPECT_EQ(player.health->getHealth(), 1);
    EXPECT_EQ(player.health->getHitSound().getStatus(), sf::Sound::Playing);
    EXPECT_GE(player.health->getHitSound().getPlayingOffset(), before);
}

TEST_F(HealthComponentTest, SetHealthNotifiesEveryCallbackInOrderEvenWithoutAChange)
{
    HealthyPlayer player(3);
    std::vector<std::string> calls;
    player.health->addHealthCallback([&](int health, GameObject&) { calls.push_back("first " + std::to_string(health)); });
    player.health->addHealthCallback([&](int health, GameObject&) { calls.push_back("second " + std::to_string(health)); });

    player.health->setHealth(3);
    player.health->setHealth(5);

    EXPECT_EQ(calls, (std::vector<std::string>{"first 3", "second 3", "first 5", "second 5"}));
    EXPECT_EQ(player.health->getHealth(), 5);
}

TEST_F(HealthComponentTest, AMissingHitSoundLeavesTheHitSilentButStillCosts)
{
    std::filesystem::remove(directory.assets() / "Sounds/loseHealth2.wav");
    StreamCapture errors(sf::err());
    HealthyPlayer player(2);
    makeTrigger(scene, "Killzone", "Killzone", {300.f, 300.f}, {64.f, 64.f});
    scene.step();

    scene.teleport(player.b2(), {320.f, 320.f});

    EXPECT_EQ(player.health->getHealth(), 1);
    EXPECT_NE(player.health->getHitSound().getStatus(), sf::Sound::Playing);
}

TEST_F(HealthComponentTest, AnObjectWithoutColliderKeepsItsHealth)
{
    auto object = std::make_shared<GameObject>("Statue");
    object->setPosition(320.f, 320.f);
    auto health = object->addComponent<HealthComponent>(*object, 4);
    auto body = object->addComponent<RigidBodyComponent>(*object, b2_dynamicBody);
    b2PolygonShape box;
    box.SetAsBox(0.2f, 0.2f);
    body->getBody()->CreateFixture(&box, 1.f);
    EXPECT_TRUE(object->init());
    makeTrigger(scene, "Killzone", "Killzone", {300.f, 300.f}, {64.f, 64.f});

    scene.step();
    scene.step();

    EXPECT_EQ(health->getHealth(), 4);
}
