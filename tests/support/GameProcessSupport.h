#pragma once
// The real game executable driven from a test: an X server of the test's own (so no other window
// can take the keyboard), key taps through xdotool, and the game as a child process.

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace zelk::test
{

class PrivateDisplay
{
public:
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // ":<n>", or empty when Xvfb did not start.
    const std::string& name() const { return m_name; }
    // Runs an xdotool command line on this display; returns its standard output.
    std::string xdotool(const std::string& arguments) const;
    // Holds the key long enough for several frames to see it, then lets the game react.
    void tap(const std::string& key, double holdSeconds = 0.4, double settleSeconds = 0.6) const;

private:
    pid_t m_pid = -1;
    std::string m_name;
};

// The X server every case of this test process runs on (the test executables' main sets DISPLAY
// to it), started on first use and stopped at exit.
const PrivateDisplay& processDisplay();

struct CommandResult
{
    // The exit status, or -1 when the command did not end normally.
    int status = -1;
    std::string output;
};

// Runs a shell command line and collects its standard output (append 2>&1 for its errors too).
CommandResult runCommand(const std::string& commandLine);

// Variables set for a child process on top of the test's own environment.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Stopped with SIGKILL on destruction if it is still running.
class GameProcess
{
public:
    GameProcess(const PrivateDisplay& display, const std::filesystem::path& workingDirectory);
    // Runs another program that becomes the game, such as an installed launcher that execs it.
    GameProcess(const PrivateDisplay& display, const std::filesystem::path& workingDirectory,
                const std::filesystem::path& executable, const Environment& environment);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool started() const { return m_pid > 0; }
    void send(int signalNumber) const;
    // The exit status, or -1 when the game did not end normally in time.
    int waitForExit(std::chrono::seconds limit);

private:
    pid_t m_pid = -1;
};

// How many events of a trace carry the given scope name.
int countEvents(const nlohmann::json& trace, const std::string& name);

// Whether the trace file the game writes while it runs (in buffered pieces) shows the scope name,
// e.g. "zelk::MainState::update" once the match has run a frame.
bool traceShows(const std::filesystem::path& traceFile, const std::string& scopeName);

} // namespace zelk::test
