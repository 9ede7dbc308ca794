// Picking up, carrying, aiming, charging and throwing items, with real contacts in the real world
// and input fed through the InputManager as the game's event loop would.

#include "ItemInteractComponent.h"

#include "MatchKit.h"

using namespace zelk;
using namespace zelk::test;

namespace
{

const sf::Vector2f PLAYER_POSITION(400.f, 300.f);
constexpr float FRAME = 0.05f;

ItemInteractComponent& handsOf(const std::shared_ptr<GameObject>& player)
{
    return *player->getComponent<ItemInteractComponent>();
}

ItemComponent& itemOf(const std::shared_ptr<GameObject>& object)
{
    return *object->getComponent<ItemComponent>();
}

// Player 0 with a rock already in its hands (picked up by touching it in the first frame).
struct CarryingPlayer
{
    explicit CarryingPlayer(MatchScene& scene)
        : player(makeStandingPlayer(scene, "Player0", PLAYER_POSITION, 0))
        , rock(makeRock(scene, PLAYER_POSITION + sf::Vector2f(10.f, 0.f)))
    {
        scene.frame(FRAME);
    }

    std::shared_ptr<GameObject> player;
    std::shared_ptr<GameObject> rock;
};

// Every case plays in a match scene of its own.
class ItemInteractComponentTest : public ::testing::Test
{
protected:
    MatchScene scene;
};

} // namespace

TEST_F(ItemInteractComponentTest, EmptyHandsPickUpAndCarryAboveFromTheNextFrameFullHandsLeaveItemsLying)
{
    auto player = makeStandingPlayer(scene, "Player0", PLAYER_POSITION, 0);
    auto rock = makeRock(scene, PLAYER_POSITION + sf::Vector2f(10.f, 0.f));
    bodyOf(*rock)->SetLinearVelocity(b2Vec2(0.f, 2.f));
    itemOf(rock).setActiveTime(7.f);

    scene.frame(FRAME);
    EXPECT_EQ(handsOf(player).getHeldItem(), rock.get());
    EXPECT_TRUE(itemOf(rock).isHeld());
    EXPECT_FLOAT_EQ(itemOf(rock).getActiveTime(), 0.f);
    EXPECT_EQ(bodyOf(*rock)->GetLinearVelocity(), b2Vec2(0.f, 0.f));

    scene.frame(FRAME);
    EXPECT_TRUE(isNear(rock->getPosition(), {400.f, 252.f}));
    // Full hands leave a second item lying.
    auto second = makeRock(scene, PLAYER_POSITION + sf::Vector2f(-10.f, 0.f));
    scene.frames(5, FRAME);
    EXPECT_TRUE(isNear(rock->getPosition(), {400.f, 252.f})) << "the carried item follows every frame";
    EXPECT_EQ(handsOf(player).getHeldItem(), rock.get());
    EXPECT_FALSE(itemOf(second).isHeld());
    EXPECT_TRUE(isNear(second->getPosition(), PLAYER_POSITION + sf::Vector2f(-10.f, 0.f)));
}

TEST_F(ItemInteractComponentTest, AFifthOfASecondOfChargeThrowsAt200FromFortyFourPixelsAhead)
{
    CarryingPlayer carrying(scene);
    scene.holdFire(4, FRAME);
    EXPECT_NEAR(handsOf(carrying.player).getThrowCharge(), 200.f, 1e-3f);

    // The release frame: the update throws, the step then starts the flight.
    scene.updateObjects(FRAME);
    b2Body* body = bodyOf(*carrying.rock);
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), nullptr);
    EXPECT_TRUE(itemOf(carrying.rock).isThrown());
    EXPECT_FALSE(itemOf(carrying.rock).isHeld());
    EXPECT_TRUE(isNear(itemOf(carrying.rock).getThrowVelocity(), {0.f, -200.f}));
    EXPECT_TRUE(isNear(pixelVelocity(*body), {0.f, -200.f}));
    EXPECT_FLOAT_EQ(body->GetGravityScale(), 1.f);
    EXPECT_TRUE(body->IsEnabled());
    EXPECT_FALSE(fixtureOf(*carrying.rock)->IsSensor());
    EXPECT_FLOAT_EQ(handsOf(carrying.player).getThrowCharge(), 0.f);

    scene.step(FRAME);
    // Pulled back by 200 x 0.02 px while charged, so the flight starts 44 px ahead.
    EXPECT_TRUE(isNear(carrying.rock->getPosition(), {400.f, 256.f}));

    scene.frame(FRAME);
    EXPECT_LT(carrying.rock->getPosition().y, 256.f - 5.f) << "the rock flies off along the aim";
}

TEST_F(ItemInteractComponentTest, ChargeStopsAtFiveHundredAndIsAddedToTheItemsOwnVelocity)
{
    CarryingPlayer carrying(scene);
    scene.holdFire(40, FRAME);
    EXPECT_FLOAT_EQ(handsOf(carrying.player).getThrowCharge(), 500.f);
    bodyOf(*carrying.rock)->SetLinearVelocity(toMetres({30.f, 0.f}));

    scene.updateObjects(FRAME);
    EXPECT_TRUE(isNear(itemOf(carrying.rock).getThrowVelocity(), {0.f, -500.f}));
    EXPECT_TRUE(isNear(pixelVelocity(*bodyOf(*carrying.rock)), {30.f, -500.f}, 1e-2f));
}

TEST_F(ItemInteractComponentTest, StickComponentsInsideTheDeadZoneCountAsZero)
{
    CarryingPlayer carrying(scene);
    InputManager& input = InputManager::getInstance();
    input.feedAxisPosition(0, sf::Joystick::U, 4.f);
    input.feedAxisPosition(0, sf::Joystick::V, 30.f);

    scene.frame(FRAME);
    EXPECT_TRUE(isNear(carrying.rock->getPosition(), {400.f, 348.f}));

    // Letting go of the stick keeps the last direction.
    input.feedAxisPosition(0, sf::Joystick::U, 0.f);
    input.feedAxisPosition(0, sf::Joystick::V, -4.9f);
    scene.frame(FRAME);
    EXPECT_TRUE(isNear(carrying.rock->getPosition(), {400.f, 348.f}));

    input.feedAxisPosition(0, sf::Joystick::U, 30.f);
    input.feedAxisPosition(0, sf::Joystick::V, 40.f);
    scene.frame(FRAME);
    EXPECT_TRUE(isNear(carrying.rock->getPosition(), {400.f + 28.8f, 300.f + 38.4f}));
}

TEST_F(ItemInteractComponentTest, ControllerOfVendor054CAimsWithZAndR)
{
    CarryingPlayer carrying(scene);
    InputManager& input = InputManager::getInstance();
    input.feedVendorId(0, InputManager::SONY_VENDOR_ID);
    input.feedAxisPosition(0, sf::Joystick::U, 100.f);
    input.feedAxisPosition(0, sf::Joystick::V, 100.f);
    input.feedAxisPosition(0, sf::Joystick::Z, -100.f);
    input.feedAxisPosition(0, sf::Joystick::R, 0.f);

    scene.frame(FRAME);
    EXPECT_TRUE(isNear(carrying.rock->getPosition(), {352.f, 300.f}));
}

TEST_F(ItemInteractComponentTest, SecondPlayerAimsWithItsOwnController)
{
    auto player = makeStandingPlayer(scene, "Player1", PLAYER_POSITION, 1);
    auto rock = makeRock(scene, PLAYER_POSITION);
    InputManager& input = InputManager::getInstance();
    input.feedAxisPosition(0, sf::Joystick::U, 100.f);
    input.feedAxisPosition(1, sf::Joystick::V, 100.f);
    scene.frames(2, FRAME);
    EXPECT_TRUE(isNear(rock->getPosition(), {400.f, 348.f}));

    // Player 0's button does not charge player 1's throw.
    scene.holdFire(4, FRAME);
    EXPECT_FLOAT_EQ(handsOf(player).getThrowCharge(), 0.f);
    EXPECT_EQ(handsOf(player).getHeldItem(), rock.get());
}

TEST_F(ItemInteractComponentTest, KeyReleaseThrowsWithTheStoredChargeOnly)
{
    CarryingPlayer carrying(scene);
    MatchScene::input().setLiveKey(sf::Keyboard::Space, true);
    scene.frames(10, FRAME);
    EXPECT_FLOAT_EQ(handsOf(carrying.player).getThrowCharge(), 0.f) << "the keyboard does not charge";
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), carrying.rock.get());

    MatchScene::input().setLiveKey(sf::Keyboard::Space, false);
    scene.updateObjects(FRAME);
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), nullptr);
    EXPECT_TRUE(itemOf(carrying.rock).isThrown());
    EXPECT_EQ(itemOf(carrying.rock).getThrowVelocity(), sf::Vector2f(0.f, 0.f));
    EXPECT_EQ(bodyOf(*carrying.rock)->GetLinearVelocity(), b2Vec2(0.f, 0.f));

    scene.step(FRAME);
    scene.frames(5, FRAME);
    EXPECT_GT(bodyOf(*carrying.rock)->GetLinearVelocity().y, 0.f) << "let go without speed, it falls";
}

TEST_F(ItemInteractComponentTest, ThrownItemCannotBeCaughtUntilItIsSpawnedAgain)
{
    CarryingPlayer carrying(scene);
    auto other = makeStandingPlayer(scene, "Player1", {700.f, 300.f}, 1);
    MatchScene::input().setLiveKey(sf::Keyboard::Space, true);
    scene.frame(FRAME);
    MatchScene::input().setLiveKey(sf::Keyboard::Space, false);
    scene.frame(FRAME);
    ASSERT_TRUE(itemOf(carrying.rock).isThrown());

    // The flying rock reaches the other player, and comes back over its thrower.
    b2Body* body = bodyOf(*carrying.rock);
    body->SetGravityScale(0.f);
    body->SetLinearVelocity(b2Vec2(0.f, 0.f));
    body->SetTransform(toMetres({700.f, 300.f}), 0.f);
    scene.frames(3, FRAME);
    EXPECT_EQ(handsOf(other).getHeldItem(), nullptr);
    body->SetTransform(toMetres(carrying.player->getPosition()), 0.f);
    scene.frames(3, FRAME);
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), nullptr);
    EXPECT_FALSE(itemOf(carrying.rock).isHeld());

    // Parked and brought back by its spawner, it is free again.
    itemOf(carrying.rock).deactivate();
    scene.frame(FRAME);
    putInPlay(scene, *carrying.rock, {700.f, 300.f});
    scene.frame(FRAME);
    EXPECT_EQ(handsOf(other).getHeldItem(), carrying.rock.get());
}

TEST_F(ItemInteractComponentTest, DropHeldItemParksItAtOnceAndEmptiesTheHands)
{
    CarryingPlayer carrying(scene);
    scene.holdFire(3, FRAME);
    scene.setFireButton(0, true);

    handsOf(carrying.player).dropHeldItem();
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), nullptr);
    EXPECT_FALSE(itemOf(carrying.rock).isHeld());
    EXPECT_FALSE(carrying.rock->isActive());
    EXPECT_EQ(carrying.rock->getPosition(), sf::Vector2f(0.f, 0.f));
    EXPECT_FLOAT_EQ(handsOf(carrying.player).getThrowCharge(), 0.f)
        << "the charge of a dropped item must not carry over to the next one";

    scene.frame(FRAME);
    EXPECT_FALSE(bodyOf(*carrying.rock)->IsEnabled());
    EXPECT_FALSE(itemOf(carrying.rock).isThrown());

    // Dropping with empty hands does nothing.
    handsOf(carrying.player).dropHeldItem();
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), nullptr);
}

TEST_F(ItemInteractComponentTest, ItemParkedBeforeTheStepIsNotPickedUp)
{
    auto player = makeStandingPlayer(scene, "Player0", PLAYER_POSITION, 0);
    auto rock = makeRock(scene, PLAYER_POSITION + sf::Vector2f(10.f, 0.f));

    // Parked during the update pass; its body still lies there during this frame's step.
    itemOf(rock).deactivate();
    scene.frame(FRAME);
    EXPECT_EQ(handsOf(player).getHeldItem(), nullptr);
    EXPECT_FALSE(itemOf(rock).isHeld());
    EXPECT_FALSE(bodyOf(*rock)->IsEnabled());
}

TEST_F(ItemInteractComponentTest, HeldItemParkedBySomethingElseEmptiesTheHands)
{
    CarryingPlayer carrying(scene);
    scene.holdFire(2, FRAME);

    itemOf(carrying.rock).deactivate();
    scene.frame(FRAME);
    EXPECT_EQ(handsOf(carrying.player).getHeldItem(), nullptr);
    EXPECT_FALSE(itemOf(carrying.rock).isHeld());

    scene.setFireButton(0, false);
    scene.frames(2, FRAME);
    EXPECT_FALSE(itemOf(carrying.rock).isThrown()) << "a parked item is never thrown";
    EXPECT_FALSE(bodyOf(*carrying.rock)->IsEnabled());
    EXPECT_EQ(carrying.rock->getPosition(), sf::Vector2f(0.f, 0.f));
}

TEST_F(ItemInteractComponentTest, ThrowPlaysThePlayersThrowAnimation)
{
    auto player = makeStandingPlayer(scene, "Player0", PLAYER_POSITION, 0);
    auto animation =
        player->addComponent<AnimationRenderComponent>(*player, testWindow(), "Objects", "missing-sheet.png");
    Animation frames;
    frames.frames = {sf::IntRect(0, 0, 16, 16)};
    animation->addAnimation(0, 1, frames);
    animation->addAnimation(2, 1, frames);
    animation->setAnimation(0, 1);
    auto rock = makeRock(scene, PLAYER_POSITION);
    scene.frame(FRAME);

    MatchScene::input().setLiveKey(sf::Keyboard::Space, true);
    scene.frame(FRAME);
    EXPECT_EQ(animation->getCurrentType(), 0);
    MatchScene::input().setLiveKey(sf::Keyboard::Space, false);
    scene.frame(FRAME);
    EXPECT_EQ(animation->getCurrentType(), 2);
    EXPECT_EQ(animation->getCurrentDirection(), 1);
}

TEST_F(ItemInteractComponentTest, MissingThrowSoundIsReportedAndThrowingStillWorks)
{
    AssetSandbox sandbox({"Sounds/laserRetro_003.ogg"});
    ScopedWorkingDirectory inSandbox(sandbox.bin());
    StreamCapture out(std::cout);
    StreamCapture err(sf::err());

    CarryingPlayer carrying(scene);
    EXPECT_EQ(out.text(), "Failed to load sound\n");

    MatchScene::input().setLiveKey(sf::Keyboard::Space, true);
    scene.frame(FRAME);
    MatchScene::input().setLiveKey(sf::Keyboard::Space, false);
    scene.frame(FRAME);
    EXPECT_TRUE(itemOf(carrying.rock).isThrown());
}

TEST_F(ItemInteractComponentTest, PlayerWithoutAColliderFailsToInitialiseWithOneLine)
{
    StreamCapture err(sf::err());
    auto player = std::make_shared<GameObject>("Player0");
    auto hands = player->addComponent<ItemInteractComponent>(*player, 0);
    EXPECT_FALSE(hands->init());
    EXPECT_NE(err.text().find("Player0"), std::string::npos);
    hands->update(FRAME);
    hands->dropHeldItem();
    EXPECT_EQ(hands->getHeldItem(), nullptr);
}

TEST_F(ItemInteractComponentTest, PlayerIndexWithoutAControllerCarriesStraightUp)
{
    // No fed values at all: sticks would be read from SFML, which must not be asked about a
    // controller number it does not have.
    InputManager::getInstance().clearFedJoysticks();
    auto player = makeStandingPlayer(scene, "Player9", PLAYER_POSITION, 9);
    auto rock = makeRock(scene, PLAYER_POSITION);
    scene.frames(2, FRAME);
    EXPECT_EQ(handsOf(player).getHeldItem(), rock.get());
    EXPECT_TRUE(isNear(rock->getPosition(), {400.f, 252.f}));

    auto negative = makeStandingPlayer(scene, "PlayerMinus", {700.f, 300.f}, -1);
    auto other = makeRock(scene, {700.f, 300.f});
    scene.frames(2, FRAME);
    EXPECT_TRUE(isNear(other->getPosition(), {700.f, 252.f}));
}
