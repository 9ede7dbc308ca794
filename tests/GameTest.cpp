#include "DebugDraw.h"
#include "Game.h"
#include "GameState.h"
#include "TraceProfiler.h"

#include "GameProcessSupport.h"
#include "ScreenTestSupport.h"

#include <SFML/Window/VideoMode.hpp>
#include <box2d/box2d.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace zelk
{
namespace
{

using Log = std::vector<std::string>;

// Records its calls; can close the window from inside its update, like the menu's "Exit".
class RecordingState : public GameState
{
public:
    RecordingState(Game* game, Log& log)
        : GameState(nullptr, game)
        , m_log(log)
    {
    }

    void init() override { m_log.push_back("init"); }
    void exit() override { m_log.push_back("exit"); }
    void update(float dt) override
    {
        m_log.push_back("update");
        m_lastDt = dt;
        if (m_closeOnUpdate)
            m_game->getWindow().close();
    }
    void draw() override { m_log.push_back("draw"); }

    bool m_closeOnUpdate = false;
    float m_lastDt = -1.0f;

private:
    Log& m_log;
};

class GameTest : public test::SandboxedGame
{
protected:
    // Puts a recording state in place of the menu before the first frame enters it.
    std::shared_ptr<RecordingState> replaceMenuAtFirstFrame()
    {
        auto recorder = std::make_shared<RecordingState>(&m_game, m_log);
        m_game.setFrameStartHook([this, recorder] {
            if (m_frame++ == 0)
                m_game.getGameStateManager().addState("MenuState", recorder);
            if (m_onFrame)
                m_onFrame(m_frame);
        });
        return recorder;
    }

    nlohmann::json readTrace(const std::string& fileName) const
    {
        return nlohmann::json::parse(test::readFile(m_sandbox.bin() / fileName));
    }

    Log m_log;
    int m_frame = 0;
    std::function<void(int)> m_onFrame;
};

TEST_F(GameTest, InitOpensAFullScreenWindowAndRequestsTheMenu)
{
    ASSERT_TRUE(m_game.init());
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    EXPECT_TRUE(m_game.getWindow().isOpen());
    EXPECT_EQ(m_game.getWindow().getSize(), sf::Vector2u(desktop.width, desktop.height));

    auto& manager = m_game.getGameStateManager();
    EXPECT_EQ(manager.getCurrentState(), nullptr) << "the menu becomes current at the first update";
    EXPECT_NE(manager.getState("MainState"), nullptr);
    EXPECT_NE(manager.getState("InstructionState"), nullptr);
    EXPECT_FALSE(DebugDraw::getInstance().isEnabled());
}

TEST_F(GameTest, FirstUpdateEntersTheMenuBeforeUpdatingItAndEachFrameTakesTheWallTimeOfTheLast)
{
    ASSERT_TRUE(m_game.init());
    auto recorder = std::make_shared<RecordingState>(&m_game, m_log);
    m_game.getGameStateManager().addState("MenuState", recorder);

    // Bounds from a clock of the test's own, so a slow machine cannot make them fail: the first frame
    // counts only time spent inside it, not the half second since the game was made.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto firstStart = std::chrono::steady_clock::now();
    m_game.update();
    const std::chrono::duration<float> inUpdate = std::chrono::steady_clock::now() - firstStart;
    EXPECT_EQ(m_log, (Log{"init", "update"}));
    EXPECT_GE(recorder->m_lastDt, 0.0f);
    EXPECT_LE(recorder->m_lastDt, inUpdate.count()) << "the first frame's time is close to zero";
    m_game.draw();
    EXPECT_EQ(m_log.back(), "draw");

    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    m_game.update();
    const std::chrono::duration<float> bothFrames = std::chrono::steady_clock::now() - firstStart;
    EXPECT_GE(recorder->m_lastDt, 0.06f);
    EXPECT_LE(recorder->m_lastDt, bothFrames.count());
}

TEST_F(GameTest, ClosingTheWindowExitsTheCurrentStateOnceAndSkipsTheRestOfTheFrame)
{
    replaceMenuAtFirstFrame();
    m_onFrame = [this](int frame) {
        if (frame == 3)
            m_game.injectEvent(sf::Event{sf::Event::Closed, {}});
    };
    m_game.run();

    EXPECT_FALSE(m_game.getWindow().isOpen());
    EXPECT_EQ(m_log, (Log{"init", "update", "draw", "update", "draw", "exit"}));
}

TEST_F(GameTest, ClosingBeforeAnyStateIsCurrentExitsNothing)
{
    m_game.injectEvent(sf::Event{sf::Event::Closed, {}});
    replaceMenuAtFirstFrame();
    m_game.run();
    EXPECT_TRUE(m_log.empty());
    EXPECT_FALSE(m_game.getWindow().isOpen());
}

TEST_F(GameTest, StateClosingTheWindowStillGetsItsFrameDrawnThenExitsOnce)
{
    auto recorder = replaceMenuAtFirstFrame();
    m_onFrame = [recorder](int frame) { recorder->m_closeOnUpdate = frame == 2; };
    m_game.run();

    EXPECT_EQ(m_log, (Log{"init", "update", "draw", "update", "draw", "exit"}));
}

TEST_F(GameTest, RunWritesStartupAndRuntimeTracesAsValidJson)
{
    replaceMenuAtFirstFrame();
    m_onFrame = [this](int frame) {
        if (frame == 6)
            m_game.injectEvent(sf::Event{sf::Event::Closed, {}});
    };
    m_game.run();
    TraceProfiler::getInstance().endTrace();

    const auto startup = readTrace("startup.json")["traceEvents"];
    ASSERT_EQ(startup.size(), 1u);
    EXPECT_EQ(startup[0]["name"], "zelk::Game::init");

    // Each complete frame writes its stages, then the frame that encloses them.
    const auto runtime = readTrace("runtime.json")["traceEvents"];
    std::vector<nlohmann::json> stages;
    int completeFrames = 0;
    for (const auto& event : runtime)
    {
        EXPECT_EQ(event["ph"], "X");
        EXPECT_EQ(event["cat"], "function");
        if (event["name"] != "Frame")
        {
            stages.push_back(event);
            continue;
        }
        const std::int64_t frameStart = event["ts"];
        const std::int64_t frameEnd = frameStart + event["dur"].get<std::int64_t>();
        std::int64_t stageSum = 0;
        for (const auto& stage : stages)
        {
            const std::int64_t start = stage["ts"];
            EXPECT_LE(frameStart, start) << stage["name"];
            EXPECT_LE(start + stage["dur"].get<std::int64_t>(), frameEnd) << stage["name"];
            if (stage["name"] == "Process Events" || stage["name"] == "zelk::Game::update" ||
                stage["name"] == "zelk::Game::draw")
                stageSum += stage["dur"].get<std::int64_t>();
        }
        EXPECT_LE(stageSum, event["dur"].get<std::int64_t>());
        if (stages.size() == 3)
        {
            EXPECT_EQ(stages[0]["name"], "Process Events");
            EXPECT_EQ(stages[1]["name"], "zelk::Game::update");
            EXPECT_EQ(stages[2]["name"], "zelk::Game::draw");
            ++completeFrames;
        }
        stages.clear();
    }
    EXPECT_EQ(completeFrames, 5);
    ASSERT_EQ(runtime.back()["name"], "Frame") << "the closing frame is recorded too";
}

TEST_F(GameTest, IsZeroDuringTheFirstSecondThenTheFrameCountOfTheLastSecond)
{
    // Taken before the game exists, so this clock never runs behind the game's own.
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [start] { return std::chrono::steady_clock::now() - start; };
    Game game{GameConfig{}};
    ASSERT_TRUE(game.init());

    while (elapsed() < std::chrono::milliseconds(900))
    {
        game.runFrame();
        EXPECT_EQ(game.getFps(), 0);
    }
    // A full second of frames after the clock starts; when start-up itself took over a second
    // (a sanitizer build on a busy machine), that first second counted no frames and shows 0.
    while (game.getFps() == 0 && elapsed() < std::chrono::seconds(20))
        game.runFrame();

    EXPECT_GT(game.getFps(), 0);
    EXPECT_GE(elapsed(), std::chrono::seconds(1));
    EXPECT_LE(game.getFps(), 300) << "the window limits the game to 280 frames per second";
}

TEST_F(GameTest, WindowEventsReachTheInputServiceThroughTheLoop)
{
    ASSERT_TRUE(test::initPastFirstFrame(m_game));
    auto& input = InputManager::getInstance();
    test::pressKey(m_game, sf::Keyboard::Escape);
    EXPECT_TRUE(input.isKeyPressed("Exit", 0));
    test::runFrameWith(m_game, test::buttonEvent(sf::Event::JoystickButtonPressed, 1, ControllerButton::MENU));
    EXPECT_TRUE(input.isButtonPressed("Menu", 1));
    EXPECT_TRUE(input.isKeyDown("Exit", 0));
}

TEST_F(GameTest, DebugShapesAreDiscardedAfterEveryDrawShownOrNot)
{
    ASSERT_TRUE(m_game.init());
    auto& debugDraw = DebugDraw::getInstance();
    for (bool enabled : {false, true})
    {
        debugDraw.setEnabled(enabled);
        debugDraw.DrawSegment(b2Vec2(1.0f, 1.0f), b2Vec2(5.0f, 5.0f), b2Color(1.0f, 0.0f, 0.0f));
        ASSERT_FALSE(debugDraw.getShapes().empty());
        m_game.draw();
        EXPECT_TRUE(debugDraw.getShapes().empty()) << "enabled: " << enabled;
    }
}

TEST_F(GameTest, ReleasingF1TogglesTheDebugOverlayThroughTheLoop)
{
    ASSERT_TRUE(test::initPastFirstFrame(m_game));
    auto& debugDraw = DebugDraw::getInstance();
    test::pressKey(m_game, sf::Keyboard::F1);
    EXPECT_FALSE(debugDraw.isEnabled()) << "holding F1 changes nothing";
    test::releaseKey(m_game, sf::Keyboard::F1);
    EXPECT_TRUE(debugDraw.isEnabled());
    test::tapKey(m_game, sf::Keyboard::F1);
    EXPECT_FALSE(debugDraw.isEnabled());
}

using test::GameProcess;
using test::PrivateDisplay;
using test::countEvents;

TEST_F(GameTest, MenuLeadsToControlsAndBackThenExitEndsWithStatusZero)
{
    test::writeScreenAssets(m_sandbox);
    PrivateDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";

    GameProcess game(display, m_sandbox.bin());
    ASSERT_TRUE(game.started());
    const std::string window = display.xdotool("search --sync --name Bramblot");
    ASSERT_FALSE(window.empty());

    // The frame rate joins the title once the game has run a full second.
    const std::string windowId = window.substr(0, window.find('\n'));
    std::string title;
    EXPECT_TRUE(test::waitUntil(
        [&] {
            title = display.xdotool("getwindowname " + windowId);
            return title.rfind(GameConfig{}.title + " | FPS: ", 0) == 0;
        },
        std::chrono::seconds(60)))
        << title;
    EXPECT_NE(display.xdotool("getwindowgeometry --shell " + windowId).find("WIDTH=1920\nHEIGHT=1080"),
              std::string::npos)
        << "full-screen at the desktop's resolution";

    const auto trace = m_sandbox.bin() / "runtime.json";
    display.tap("Down");
    display.tap("Return");
    EXPECT_TRUE(test::waitUntil([&] { return test::traceShows(trace, "zelk::InstructionState::update"); },
                                std::chrono::seconds(60)));
    display.tap("Escape");
    EXPECT_TRUE(test::waitUntil([&] { return test::traceShows(trace, "zelk::InstructionState::exit"); },
                                std::chrono::seconds(60)));
    display.tap("Down");
    display.tap("Return");
    EXPECT_EQ(game.waitForExit(std::chrono::seconds(30)), 0);

    const auto runtime = nlohmann::json::parse(test::readFile(m_sandbox.bin() / "runtime.json"));
    const auto startup = nlohmann::json::parse(test::readFile(m_sandbox.bin() / "startup.json"));
    EXPECT_EQ(countEvents(startup, "zelk::Game::init"), 1);
    EXPECT_EQ(countEvents(runtime, "zelk::InstructionState::init"), 1);
    EXPECT_EQ(countEvents(runtime, "zelk::InstructionState::exit"), 1);
    EXPECT_EQ(countEvents(runtime, "zelk::MenuState::init"), 2);
    EXPECT_EQ(countEvents(runtime, "zelk::MenuState::exit"), 2);
    EXPECT_EQ(countEvents(runtime, "zelk::MainState::init"), 0);
}

} // namespace
} // namespace zelk
