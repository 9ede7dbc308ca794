// SIGTERM and SIGINT end the real game executable like the window's close button, on every screen:
// the screen shown exits once, the game returns normally and both trace files stay valid JSON.

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
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace zelk
{
namespace
{

using namespace std::chrono_literals;

// An X server of the test's own, so no other window can take the keyboard.
class PrivateDisplay
{
public:
    PrivateDisplay()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0)
        {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-noreset",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty())
            m_name = ":" + number;
    }
    ~PrivateDisplay()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    const std::string& name() const { return m_name; }

    std::string xdotool(const std::string& arguments) const
    {
        const std::string command = "DISPLAY=" + m_name + " timeout 30 xdotool " + arguments;
        std::string output;
        if (FILE* pipe = ::popen(command.c_str(), "r"))
        {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
                output += buffer;
            ::pclose(pipe);
        }
        return output;
    }

    void tap(const std::string& key) const { xdotool("keydown " + key + " sleep 0.3 keyup " + key + " sleep 0.5"); }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

class GameProcess
{
public:
    GameProcess(const PrivateDisplay& display, const std::filesystem::path& workingDirectory)
    {
        m_pid = ::fork();
        if (m_pid == 0)
        {
            if (::chdir(workingDirectory.c_str()) != 0)
                ::_exit(126);
            ::setenv("DISPLAY", display.name().c_str(), 1);
            ::setenv("ALSOFT_DRIVERS", "null", 1);
            const std::string executable = test::gameExecutable().string();
            ::execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~GameProcess()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool started() const { return m_pid > 0; }
    void send(int signalNumber) const { ::kill(m_pid, signalNumber); }

    // The exit status, or -1 when the game did not end normally in time.
    int waitForExit(std::chrono::seconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline)
        {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
            {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
};

int countEvents(const nlohmann::json& trace, const std::string& name)
{
    int count = 0;
    for (const auto& event : trace["traceEvents"])
        count += event["name"] == name ? 1 : 0;
    return count;
}

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

class SignalShutdown : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(SignalShutdown, ExitsTheScreenShownOnceAndLeavesValidTraces)
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
    std::this_thread::sleep_for(1500ms);
    for (const auto& key : scenario.keys)
        display.tap(key);
    // Long enough for the match to load and, on the lost arena, for the fall to end it.
    std::this_thread::sleep_for(scenario.loseAtOnce ? 5s : 1500ms);

    game.send(scenario.signalNumber);
    ASSERT_EQ(game.waitForExit(60s), 0);

    const auto runtime = nlohmann::json::parse(test::readFile(sandbox.bin() / "runtime.json"), nullptr, false);
    const auto startup = nlohmann::json::parse(test::readFile(sandbox.bin() / "startup.json"), nullptr, false);
    ASSERT_FALSE(runtime.is_discarded()) << "runtime.json is not valid JSON";
    ASSERT_FALSE(startup.is_discarded()) << "startup.json is not valid JSON";
    EXPECT_EQ(countEvents(startup, "zelk::Game::init"), 1);
    const std::string state = scenario.stateShown;
    EXPECT_EQ(countEvents(runtime, "zelk::" + state + "::init"), 1);
    EXPECT_EQ(countEvents(runtime, "zelk::" + state + "::exit"), 1);
    if (state != "MenuState")
    {
        EXPECT_EQ(countEvents(runtime, "zelk::MenuState::exit"), 1) << "the menu was left once, not again";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryScreen, SignalShutdown,
    ::testing::Values(Scenario{"MenuTerm", SIGTERM, {}, "MenuState", false},
                      Scenario{"MenuInterrupt", SIGINT, {}, "MenuState", false},
                      Scenario{"ControlsTerm", SIGTERM, {"Down", "Return"}, "InstructionState", false},
                      Scenario{"MatchTerm", SIGTERM, {"Return"}, "MainState", false},
                      Scenario{"MatchInterrupt", SIGINT, {"Return"}, "MainState", false},
                      Scenario{"WinScreenTerm", SIGTERM, {"Return"}, "MainState", true}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(ShutdownSignal, ARaisedSignalIsSeenOnceCleared)
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
