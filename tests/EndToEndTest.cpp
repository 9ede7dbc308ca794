// Whole-game runs: the real main loop, the real arena map and assets, key events through the same
// intake as the window's own or as real X events, controllers through SFML's own device code (the
// joystick emulator), and the match's objects inspected between frames.

#include "ColliderComponent.h"
#include "Game.h"
#include "GameConfig.h"
#include "GameNames.h"
#include "GameObject.h"
#include "GameObjectManager.h"
#include "GameProcessSupport.h"
#include "GameStateManager.h"
#include "HealthComponent.h"
#include "InputManager.h"
#include "ItemComponent.h"
#include "ItemInteractComponent.h"
#include "JoystickEmulator.h"
#include "MainState.h"
#include "MenuState.h"
#include "PhysicsManager.h"
#include "PhysicsUnits.h"
#include "PlayerFallComponent.h"
#include "RigidBodyComponent.h"
#include "ScopedInput.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"
#include "TraceProfiler.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Joystick.hpp>
#include <SFML/Window/Window.hpp>
#include <box2d/box2d.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace
{

using Clock = std::chrono::steady_clock;

// Before every frame of Game::run the script looks at the game: the step at its head waits for its
// condition and then acts. A step that waits too long fails the test and closes the window, so a
// broken game can never hang the suite.
class FrameScript
{
public:
    explicit FrameScript(Game& game)
        : m_game(game)
    {
        game.setFrameStartHook([this] { onFrameStart(); });
    }

    FrameScript& waitFor(std::string what, std::function<bool()> condition, double seconds = 10.0)
    {
        m_steps.push_back({std::move(what), std::move(condition), [] {}, seconds});
        return *this;
    }

    FrameScript& then(std::string what, std::function<void()> action)
    {
        m_steps.push_back({std::move(what), [] { return true; }, std::move(action), 10.0});
        return *this;
    }

    // Keeps going for the given wall time, then acts.
    FrameScript& after(double seconds, std::string what, std::function<void()> action)
    {
        const auto waited = [this, seconds] { return secondsInStep() >= seconds; };
        m_steps.push_back({std::move(what), waited, std::move(action), seconds + 10.0});
        return *this;
    }

    FrameScript& press(sf::Keyboard::Key key) { return then("press", [this, key] { inject(key, true); }); }
    FrameScript& release(sf::Keyboard::Key key) { return then("release", [this, key] { inject(key, false); }); }
    // Down in one frame and up in the next, like a quick tap.
    FrameScript& tap(sf::Keyboard::Key key) { return press(key).release(key); }

    void inject(sf::Keyboard::Key key, bool down)
    {
        m_game.injectEvent(keyEvent(down ? sf::Event::KeyPressed : sf::Event::KeyReleased, key));
    }

    // The window's close request, as the window manager would send it.
    void requestClose() { m_game.injectEvent(sf::Event{sf::Event::Closed, {}}); }

    bool finished() const { return m_steps.empty(); }
    const std::string& failure() const { return m_failure; }

private:
    struct Step
    {
        std::string what;
        std::function<bool()> condition;
        std::function<void()> action;
        double timeoutSeconds;
    };

    void onFrameStart()
    {
        if (m_steps.empty())
            return;
        Step& step = m_steps.front();
        if (!m_stepStarted)
        {
            m_stepStart = Clock::now();
            m_stepStarted = true;
        }
        if (step.condition())
        {
            step.action();
            m_steps.pop_front();
            m_stepStarted = false;
            return;
        }
        if (secondsInStep() > step.timeoutSeconds)
        {
            m_failure = "timed out: " + step.what;
            m_steps.clear();
            requestClose();
        }
    }

    double secondsInStep() const { return std::chrono::duration<double>(Clock::now() - m_stepStart).count(); }

    Game& m_game;
    std::deque<Step> m_steps;
    bool m_stepStarted = false;
    Clock::time_point m_stepStart;
    std::string m_failure;
};

float lengthOf(sf::Vector2f vector)
{
    return std::hypot(vector.x, vector.y);
}

void setStick(unsigned slot, int absCode, float fraction)
{
    JoystickEmulator::setAxis(slot, absCode, static_cast<int>(fraction * JoystickEmulator::AXIS_MAX));
}

// A controller as a test plugs it in: what udev reports, and the buttons the game should take from it.
struct ControllerCase
{
    const char* name;
    unsigned vendorId;
    unsigned confirm;
    unsigned menu;
    // The other family's confirm button, which this controller must not confirm with.
    unsigned notConfirm;
};

void PrintTo(const ControllerCase& controller, std::ostream* out)
{
    *out << controller.name;
}

// A game on the real assets, run from a scratch "bin" so its trace files stay private to the test,
// with no controller plugged in until the test plugs one.
class EndToEndTest : public ::testing::TestWithParam<ControllerCase>
{
protected:
    EndToEndTest()
        : m_workingDirectory(m_sandbox.bin())
    {
        JoystickEmulator::reset();
        // Run by hand, several cases share a process: SFML is to see an earlier case's controllers
        // go now, not while this game starts and reads the vendor ids.
        sf::Joystick::update();
    }

    ~EndToEndTest() override { JoystickEmulator::reset(); }

    MainState* match()
    {
        return dynamic_cast<MainState*>(m_game.getGameStateManager().getState("MainState").get());
    }

    bool isCurrent(const std::string& stateName)
    {
        const auto state = m_game.getGameStateManager().getState(stateName);
        return state && m_game.getGameStateManager().getCurrentState() == state.get();
    }

    bool isMatchRunning() { return isCurrent("MainState") && match()->isRunning(); }
    bool isWinScreenOpen() { return isCurrent("MainState") && !match()->getMenuEntries().empty() && !match()->isRunning(); }

    std::shared_ptr<GameObject> object(const std::string& id)
    {
        const auto& objects = match()->getGameObjectManager().getGameObjects();
        const auto found = objects.find(id);
        return found == objects.end() ? nullptr : found->second;
    }

    sf::Vector2f position(const std::string& id)
    {
        const auto found = object(id);
        return found ? found->getPosition() : sf::Vector2f();
    }

    bool isStill(const std::string& id)
    {
        const auto found = object(id);
        const auto body = found ? found->getComponent<RigidBodyComponent>() : nullptr;
        return body && body->getBody() && body->getBody()->GetLinearVelocity() == b2Vec2_zero;
    }

    int health(const std::string& id)
    {
        const auto found = object(id);
        const auto component = found ? found->getComponent<HealthComponent>() : nullptr;
        return component ? component->getHealth() : -1;
    }

    // From the menu, with "Start" marked, into a running match.
    void enterMatch()
    {
        m_script.waitFor("the menu", [this] { return isCurrent("MenuState"); })
            .tap(sf::Keyboard::Enter)
            .waitFor("the match", [this] { return isMatchRunning(); });
    }

    // A spot just above the roomiest chasm inside the arena (a killzone that is not one of the outer
    // edges, with the longest shorter side), in metres, where a player walking down falls in at once.
    b2Vec2 brinkOfAChasm(const GameObject& player)
    {
        const sf::Vector2i mapSize = match()->getMapSize();
        const b2AABB arena{{0.f, 0.f}, {mapSize.x * METRES_PER_PIXEL, mapSize.y * METRES_PER_PIXEL}};
        b2AABB chasm{{0.f, 0.f}, {0.f, 0.f}};
        float roomiest = 0.f;
        for (const auto& [id, candidate] : match()->getGameObjectManager().getGameObjects())
        {
            const auto collider = candidate->getComponent<ColliderComponent>();
            const b2Fixture* fixture = collider ? collider->getFixture() : nullptr;
            if (!fixture || !fixture->IsSensor() ||
                fixture->GetFilterData().categoryBits != CollisionCategory::KILLZONE)
                continue;
            const b2AABB box = fixture->GetAABB(0);
            const b2Vec2 size = box.upperBound - box.lowerBound;
            if (arena.Contains(box) && std::min(size.x, size.y) > roomiest)
            {
                chasm = box;
                roomiest = std::min(size.x, size.y);
            }
        }
        EXPECT_GT(roomiest, 0.f) << "the arena has no chasm";
        const b2AABB playerBox = player.getComponent<ColliderComponent>()->getFixture()->GetAABB(0);
        const float halfHeight = (playerBox.upperBound.y - playerBox.lowerBound.y) * 0.5f;
        return {chasm.GetCenter().x, chasm.lowerBound.y - halfHeight - 8.f * METRES_PER_PIXEL};
    }

    // Walks the player (down key held) into a chasm whenever it stands ready, that is not falling;
    // the contact, the lost heart and the fall come from the real physics step. Returns true once
    // the win screen is open.
    bool walkIntoAChasmUntilWinScreen(const std::string& id, sf::Keyboard::Key down)
    {
        if (isWinScreenOpen())
        {
            m_script.inject(down, false);
            m_walkingDown = false;
            m_awaitingFall = false;
            return true;
        }
        const auto player = object(id);
        if (!player || !isMatchRunning())
            return false;
        if (!m_walkingDown)
        {
            m_script.inject(down, true);
            m_walkingDown = true;
        }
        const auto fall = player->getComponent<PlayerFallComponent>();
        const auto collider = player->getComponent<ColliderComponent>();
        b2Body* body = player->getComponent<RigidBodyComponent>()->getBody();
        if (fall->isFalling())
            m_awaitingFall = false;
        else if (!m_awaitingFall && collider->isEnabled())
        {
            body->SetTransform(brinkOfAChasm(*player), 0.f);
            body->SetLinearVelocity({0.f, 0.f});
            m_awaitingFall = true;
            ++m_drops;
        }
        return false;
    }

    ItemInteractComponent& hands(const std::string& id) { return *object(id)->getComponent<ItemInteractComponent>(); }

    // Called every frame until the player holds an item: puts the player on a free one (a rock when
    // one is out), so the world step's contact hands it over.
    bool pickUpAnItem(const std::string& id)
    {
        if (hands(id).getHeldItem() != nullptr)
            return true;
        std::shared_ptr<GameObject> free;
        for (const auto& [itemId, candidate] : match()->getGameObjectManager().getGameObjects())
        {
            const auto item = candidate->getComponent<ItemComponent>();
            if (!item || !candidate->isActive() || item->isHeld() || item->isThrown())
                continue;
            if (!free || itemId.rfind("Rock_", 0) == 0)
                free = candidate;
        }
        if (free)
        {
            b2Body* body = object(id)->getComponent<RigidBodyComponent>()->getBody();
            body->SetTransform(toMetres(free->getPosition()), 0.f);
            body->SetLinearVelocity({0.f, 0.f});
        }
        return false;
    }

    // Player 0 takes an item and holds the first controller's fire button down.
    FrameScript& holdFireWithAnItem()
    {
        return m_script.waitFor("player 0 holds an item", [this] { return pickUpAnItem("Player0"); })
            .then("hold fire", [this] {
                m_heldItem = hands("Player0").getHeldItem();
                JoystickEmulator::setButton(0, ControllerButton::FIRE, true);
            });
    }

    // The speed the player's last throw gave the item it held when fire went down, in px/s.
    float throwSpeed() const
    {
        return m_heldItem ? lengthOf(m_heldItem->getComponent<ItemComponent>()->getThrowVelocity()) : -1.f;
    }

    int itemCount(bool activeOnly)
    {
        int count = 0;
        for (const auto& [id, candidate] : match()->getGameObjectManager().getGameObjects())
            count += candidate->getComponent<ItemComponent>() && (candidate->isActive() || !activeOnly) ? 1 : 0;
        return count;
    }

    void run()
    {
        m_game.run();
        EXPECT_TRUE(m_script.failure().empty()) << m_script.failure();
        EXPECT_TRUE(m_script.finished());
    }

    ScopedInput m_input{ScopedInput::Joysticks::FromDevices};
    AssetSandbox m_sandbox;
    ScopedWorkingDirectory m_workingDirectory;
    Game m_game{GameConfig{}};
    FrameScript m_script{m_game};
    bool m_awaitingFall = false;
    int m_drops = 0;
    bool m_walkingDown = false;
    GameObject* m_heldItem = nullptr;
};


int countOccurrences(const std::string& text, const std::string& needle)
{
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace

TEST_F(EndToEndTest, AMatchIsWonRestartedWonAgainAndLeftThroughExit)
{
    const StreamCapture output(std::cout);
    enterMatch();
    PlayerStart start0;
    PlayerStart start1;
    m_script
        .then("note the starts",
              [&] {
                  start0 = {position("Player0"), health("Player0")};
                  start1 = {position("Player1"), health("Player1")};
                  EXPECT_GT(start1.health, 0);
              })
        .waitFor("player 1 out of hearts", [&] { return walkIntoAChasmUntilWinScreen("Player1", sf::Keyboard::Down); }, 20.0)
        .then("read the win screen",
              [&] {
                  EXPECT_EQ(m_drops, start1.health) << "one heart per killzone contact";
                  EXPECT_EQ(health("Player1"), 0);
                  EXPECT_EQ(health("Player0"), start0.health);
                  EXPECT_EQ(match()->getWinnerText().getString().toAnsiString(), "Player0 WON!");
                  EXPECT_EQ(match()->getMenuEntries().size(), 2u);
                  ASSERT_NE(match()->getSelectedEntry(), nullptr);
                  EXPECT_EQ(match()->getSelectedEntry()->getString().toAnsiString(), "Restart");
                  EXPECT_EQ(countOccurrences(output.text(), "Player0 won!\n"), 1);
              })
        .after(0.3, "the match stays frozen behind the win screen",
               [&] { EXPECT_FALSE(match()->isRunning()); })
        .press(sf::Keyboard::Enter)
        .then("restarted: hearts back, every item parked",
              [&] {
                  // Checked before this frame's update, so no spawner has had a turn yet.
                  m_script.inject(sf::Keyboard::Enter, false);
                  EXPECT_TRUE(match()->isRunning());
                  EXPECT_EQ(health("Player0"), start0.health);
                  EXPECT_EQ(health("Player1"), start1.health);
                  EXPECT_GT(itemCount(false), 0);
                  EXPECT_EQ(itemCount(true), 0);
              })
        .after(0.1, "players back at their starts",
               [&] {
                   const sf::Vector2f offset0 = position("Player0") - start0.position;
                   const sf::Vector2f offset1 = position("Player1") - start1.position;
                   EXPECT_LT(std::hypot(offset0.x, offset0.y), 2.f);
                   EXPECT_LT(std::hypot(offset1.x, offset1.y), 2.f);
                   start0.position = position("Player0");
                   m_script.inject(sf::Keyboard::D, true);
               })
        .waitFor("player 0 walks again", [&] { return position("Player0").x - start0.position.x > 20.f; })
        .then("let go of D", [&] { m_script.inject(sf::Keyboard::D, false); })
        .waitFor("the spawners drop items again", [&] { return itemCount(true) > 0; }, 3.0)
        .then("count the drops anew", [&] { m_drops = 0; })
        .waitFor("player 1 out of hearts again", [&] { return walkIntoAChasmUntilWinScreen("Player1", sf::Keyboard::Down); }, 20.0)
        .then("the same two entries",
              [&] {
                  EXPECT_EQ(m_drops, start1.health);
                  EXPECT_EQ(match()->getMenuEntries().size(), 2u);
                  EXPECT_EQ(countOccurrences(output.text(), "Player0 won!\n"), 2);
              })
        .tap(sf::Keyboard::Down)
        .then("Exit is marked",
              [&] {
                  ASSERT_NE(match()->getSelectedEntry(), nullptr);
                  EXPECT_EQ(match()->getSelectedEntry()->getString().toAnsiString(), "Exit");
              })
        .press(sf::Keyboard::Enter);
    run();

    EXPECT_FALSE(m_game.getWindow().isOpen());
    EXPECT_TRUE(match()->getGameObjectManager().getGameObjects().empty()) << "the match was left";
    TraceProfiler::getInstance().endTrace();
    const std::string trace = readFile(m_sandbox.bin() / "runtime.json");
    EXPECT_EQ(countOccurrences(trace, "\"zelk::MainState::exit\""), 1);
}

TEST_P(EndToEndTest, AControllerStepsThroughTheMenuWalksAndLeavesTheMatch)
{
    const ControllerCase& controller = GetParam();
    JoystickEmulator::plug(0, {controller.vendorId, 0x0001, controller.name});
    const auto menu = [&] { return dynamic_cast<MenuState*>(m_game.getGameStateManager().getState("MenuState").get()); };
    const auto marked = [&] { return menu()->getSelectedEntry(); };
    sf::Vector2f start;
    m_script.waitFor("the menu", [&] { return isCurrent("MenuState"); })
        .then("stick down", [] { setStick(0, ABS_Y, 1.f); })
        .waitFor("Controls marked", [&] { return marked() == "Controls"; })
        .then("stick to rest", [] { setStick(0, ABS_Y, 0.f); })
        .after(0.1, "stick up", [] { setStick(0, ABS_Y, -1.f); })
        .waitFor("Start marked again", [&] { return marked() == "Start"; })
        .then("stick to rest, the other controllers' confirm button",
              [&] {
                  setStick(0, ABS_Y, 0.f);
                  JoystickEmulator::setButton(0, controller.notConfirm, true);
              })
        .after(0.3, "still in the menu; this controller's confirm button",
               [&] {
                   EXPECT_TRUE(isCurrent("MenuState")) << "button " << controller.notConfirm << " confirmed";
                   JoystickEmulator::setButton(0, controller.notConfirm, false);
                   JoystickEmulator::setButton(0, controller.confirm, true);
               })
        .waitFor("the match", [&] { return isMatchRunning(); })
        .then("let go, left stick right",
              [&] {
                  JoystickEmulator::setButton(0, controller.confirm, false);
                  start = position("Player0");
                  setStick(0, ABS_X, 1.f);
              })
        .waitFor("player 0 walked right", [&] { return position("Player0").x - start.x > 40.f; })
        .then("stick to rest, the menu button",
              [&] {
                  setStick(0, ABS_X, 0.f);
                  EXPECT_LT(std::abs(position("Player0").y - start.y), position("Player0").x - start.x);
                  JoystickEmulator::setButton(0, controller.menu, true);
              })
        .waitFor("back in the menu", [&] { return isCurrent("MenuState"); })
        .then("close the window", [&] {
            JoystickEmulator::setButton(0, controller.menu, false);
            m_script.requestClose();
        });
    run();
}

INSTANTIATE_TEST_SUITE_P(Vendors, EndToEndTest,
                         ::testing::Values(ControllerCase{"Microsoft", 0x045E, ControllerButton::CONFIRM,
                                                          ControllerButton::MENU, ControllerButton::SONY_CONFIRM},
                                           ControllerCase{"Sony", InputManager::SONY_VENDOR_ID,
                                                          ControllerButton::SONY_CONFIRM, ControllerButton::SONY_MENU,
                                                          ControllerButton::CONFIRM}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EndToEndTest, AFullyChargedThrowIsFastAndATapOnlyDropsTheItem)
{
    JoystickEmulator::plug(0);
    enterMatch();
    float charged = -1.f;
    float tapCharge = -1.f;
    holdFireWithAnItem()
        .after(0.8, "let go", [] { JoystickEmulator::setButton(0, ControllerButton::FIRE, false); })
        .waitFor("the throw", [&] { return hands("Player0").getHeldItem() == nullptr; })
        .then("measure it", [&] { charged = throwSpeed(); });
    holdFireWithAnItem()
        .then("let go a frame later",
              [&] {
                  tapCharge = hands("Player0").getThrowCharge();
                  JoystickEmulator::setButton(0, ControllerButton::FIRE, false);
              })
        .waitFor("the drop", [&] { return hands("Player0").getHeldItem() == nullptr; })
        .then("compare",
              [&] {
                  EXPECT_NEAR(charged, 500.f, 1.f) << "a full charge";
                  // One frame's worth (its length varies), nothing carried over from the first throw.
                  EXPECT_GT(tapCharge, 0.f);
                  EXPECT_LT(tapCharge, charged);
                  EXPECT_FLOAT_EQ(throwSpeed(), tapCharge);
                  m_script.requestClose();
              });
    run();
}

TEST_F(EndToEndTest, UnpluggingAControllerLetsGoOfItsHeldFireButton)
{
    JoystickEmulator::plug(0);
    enterMatch();
    float chargeAtUnplug = -1.f;
    holdFireWithAnItem()
        .after(0.1, "unplug with fire held",
               [&] {
                   chargeAtUnplug = hands("Player0").getThrowCharge();
                   JoystickEmulator::unplug(0);
               })
        .waitFor("the item goes as on a release", [&] { return hands("Player0").getHeldItem() == nullptr; }, 2.0)
        .then("the charge stopped at the unplug",
              [&] {
                  EXPECT_GT(chargeAtUnplug, 0.f);
                  EXPECT_LT(chargeAtUnplug, 500.f) << "not yet fully charged";
                  EXPECT_FLOAT_EQ(throwSpeed(), chargeAtUnplug);
              })
        .after(0.6, "plug it in again", [] { JoystickEmulator::plug(0); })
        .waitFor("connected again", [] { return sf::Joystick::isConnected(0); })
        .after(0.2, "fire is up",
               [&] {
                   EXPECT_FALSE(InputManager::getInstance().isButtonDown(Action::FIRE, 0));
                   m_script.requestClose();
               });
    run();
}

TEST_F(EndToEndTest, ASecondControllerPluggedInMidMatchWalksPlayerOneUntilUnplugged)
{
    JoystickEmulator::plug(0);
    enterMatch();
    sf::Vector2f start;
    m_script
        .then("plug in a second controller, its stick left",
              [&] {
                  EXPECT_FALSE(sf::Joystick::isConnected(1));
                  JoystickEmulator::plug(1);
                  setStick(1, ABS_X, -1.f);
              })
        .waitFor("connected", [] { return sf::Joystick::isConnected(1); })
        .then("note where player 1 stands", [&] { start = position("Player1"); })
        .waitFor("player 1 walked left", [&] { return start.x - position("Player1").x > 40.f; })
        .then("unplug it with the stick still pushed", [] { JoystickEmulator::unplug(1); })
        .waitFor("player 1 stands still", [&] { return !sf::Joystick::isConnected(1) && isStill("Player1"); }, 3.0)
        .then("player 0 stayed where it was", [&] {
            EXPECT_TRUE(isStill("Player0"));
            m_script.requestClose();
        });
    run();
}

TEST_F(EndToEndTest, AKeyLetGoWhileAnotherWindowHasTheFocusStopsThePlayer)
{
    ASSERT_FALSE(processDisplay().name().empty()) << "no X server for the test";
    enterMatch();
    std::unique_ptr<sf::Window> other;
    sf::Vector2f start;
    sf::Vector2f atRelease;
    m_script
        .then("hold S on the keyboard",
              [&] {
                  start = position("Player0");
                  processDisplay().xdotool("keydown s");
              })
        .waitFor("player 0 walks down", [&] { return position("Player0").y - start.y > 20.f; })
        .then("another window takes the focus",
              [&] {
                  other = std::make_unique<sf::Window>(sf::VideoMode(320, 240), "another application");
                  const std::string id = std::to_string(other->getSystemHandle());
                  processDisplay().xdotool("windowmap --sync " + id + " windowfocus --sync " + id);
              })
        .waitFor("the game lost the focus", [&] { return !m_game.getWindow().hasFocus(); })
        .then("let go of S there",
              [&] {
                  processDisplay().xdotool("keyup s");
                  atRelease = position("Player0");
              })
        .after(1.5, "where player 0 stands",
               [&] {
                   const sf::Vector2f now = position("Player0");
                   std::cout << "player 0 at the release: (" << atRelease.x << ", " << atRelease.y << "), 1.5 s later: ("
                             << now.x << ", " << now.y << ")" << std::endl;
                   EXPECT_TRUE(isStill("Player0"));
                   EXPECT_LT(lengthOf(now - atRelease), 20.f) << "walked on after the key was let go";
                   m_script.requestClose();
               });
    run();
}
