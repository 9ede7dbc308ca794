// SIGTERM and SIGINT end the real game executable like the window's close button, on every screen:
// the screen shown exits once, the game returns normally and both trace files stay valid JSON.

#include "GameProcessSupport.h"
#include "ShutdownSignal.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace zelk
{
namespace
{

using namespace std::chrono_literals;

using test::GameProcess;
using test::PrivateDisplay;
using test::countEvents;

// The arena with player 0 standing in a chasm with a single heart: the match ends at once.
std::string arenaLostAtOnce()
{
    auto map = nlohmann::json::parse(test::readFile(test::assetsDir() / "game.tmj"));
    for (auto& layer : map["layers"])
    {
        if (layer["name"] != "Objects")
            continue;
        for (auto& object : layer["objects"])
        {
            if (object["name"] != "Player0")
                continue;
            object["x"] = 400;
            object["y"] = 496;
            for (auto& property : object["properties"])
            {
                if (property["name"] == "Health")
                    property["value"] = 1;
            }
        }
    }
    return map.dump();
}

struct Scenario
{
    const char* name;
    int signalNumber;
    // Keys that lead from the menu to the screen under test.
    std::vector<std::string> keys;
    const char* stateShown;
    bool loseAtOnce;
};

std::ostream& operator<<(std::ostream& stream, const Scenario& scenario)
{
    return stream << scenario.name;
}

class ShutdownSignalTest : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(ShutdownSignalTest, ExitsTheScreenShownOnceAndLeavesValidTraces)
{
    const Scenario& scenario = GetParam();
    test::AssetSandbox sandbox;
    if (scenario.loseAtOnce)
        sandbox.writeAsset("game.tmj", arenaLostAtOnce());
    PrivateDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";

    GameProcess game(display, sandbox.bin());
    ASSERT_TRUE(game.started());
    ASSERT_FALSE(display.xdotool("search --sync --name Bramblot").empty());
    const auto trace = sandbox.bin() / "runtime.json";
    ASSERT_TRUE(test::waitUntil([&] { return test::traceShows(trace, "zelk::MenuState::update"); }, 60s));
    for (const auto& key : scenario.keys)
        display.tap(key, 0.3, 0.5);
    // The screen under test has run a frame; on the lost arena that first frame's step ends the match.
    const std::string state = scenario.stateShown;
    ASSERT_TRUE(test::waitUntil([&] { return test::traceShows(trace, "zelk::" + state + "::update"); }, 60s))
        << state << " never ran";

    game.send(scenario.signalNumber);
    ASSERT_EQ(game.waitForExit(60s), 0);

    const auto runtime = nlohmann::json::parse(test::readFile(sandbox.bin() / "runtime.json"), nullptr, false);
    const auto startup = nlohmann::json::parse(test::readFile(sandbox.bin() / "startup.json"), nullptr, false);
    ASSERT_FALSE(runtime.is_discarded()) << "runtime.json is not valid JSON";
    ASSERT_FALSE(startup.is_discarded()) << "startup.json is not valid JSON";
    EXPECT_EQ(countEvents(startup, "zelk::Game::init"), 1);
    EXPECT_EQ(countEvents(runtime, "zelk::" + state + "::init"), 1);
    EXPECT_EQ(countEvents(runtime, "zelk::" + state + "::exit"), 1);
    if (state != "MenuState")
    {
        EXPECT_EQ(countEvents(runtime, "zelk::MenuState::exit"), 1) << "the menu was left once, not again";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryScreen, ShutdownSignalTest,
    ::testing::Values(Scenario{"MenuTerm", SIGTERM, {}, "MenuState", false},
                      Scenario{"MenuInterrupt", SIGINT, {}, "MenuState", false},
                      Scenario{"ControlsTerm", SIGTERM, {"Down", "Return"}, "InstructionState", false},
                      Scenario{"MatchTerm", SIGTERM, {"Return"}, "MainState", false},
                      Scenario{"MatchInterrupt", SIGINT, {"Return"}, "MainState", false},
                      Scenario{"WinScreenTerm", SIGTERM, {"Return"}, "MainState", true}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(ShutdownSignalTest, ARaisedSignalIsSeenOnceCleared)
{
    ASSERT_TRUE(ShutdownSignal::install());
    EXPECT_FALSE(ShutdownSignal::isRequested());
    std::raise(SIGTERM);
    EXPECT_TRUE(ShutdownSignal::isRequested()) << "the process must survive and only note the request";
    ShutdownSignal::clear();
    EXPECT_FALSE(ShutdownSignal::isRequested());
    std::raise(SIGINT);
    EXPECT_TRUE(ShutdownSignal::isRequested());
}

} // namespace
} // namespace zelk
