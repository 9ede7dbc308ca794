#include "GameProcessSupport.h"

#include "TestSupport.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelk::test
{
namespace
{
// In a child between fork and exec: the child is ended when the test process goes, however it goes.
void endWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}
} // namespace

PrivateDisplay::PrivateDisplay()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0)
    {
        ::close(fds[0]);
        // The server goes with this process, even when a failing case aborts it, and keeps none of
        // its output open: ctest waits for every writer of a test's output before it ends the test.
        endWithParent();
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-noreset", "-nolisten",
                 "tcp", static_cast<char*>(nullptr));
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

PrivateDisplay::~PrivateDisplay()
{
    if (m_pid > 0)
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

std::string PrivateDisplay::xdotool(const std::string& arguments) const
{
    return runCommand("DISPLAY=" + m_name + " timeout 30 xdotool " + arguments).output;
}

void PrivateDisplay::tap(const std::string& key, double holdSeconds, double settleSeconds) const
{
    xdotool("keydown " + key + " sleep " + std::to_string(holdSeconds) + " keyup " + key + " sleep " +
            std::to_string(settleSeconds));
}

const PrivateDisplay& processDisplay()
{
    static const PrivateDisplay display;
    return display;
}

CommandResult runCommand(const std::string& commandLine)
{
    CommandResult result;
    if (FILE* pipe = ::popen(commandLine.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            result.output += buffer;
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

GameProcess::GameProcess(const PrivateDisplay& display, const std::filesystem::path& workingDirectory)
    : GameProcess(display, workingDirectory, gameExecutable(), {})
{
}

GameProcess::GameProcess(const PrivateDisplay& display, const std::filesystem::path& workingDirectory,
                         const std::filesystem::path& executable, const Environment& environment)
{
    m_pid = ::fork();
    if (m_pid == 0)
    {
        endWithParent();
        if (::chdir(workingDirectory.c_str()) != 0)
            ::_exit(126);
        ::setenv("DISPLAY", display.name().c_str(), 1);
        ::setenv("ALSOFT_DRIVERS", "null", 1);
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        ::execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

GameProcess::~GameProcess()
{
    if (m_pid > 0)
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void GameProcess::send(int signalNumber) const
{
    if (m_pid > 0)
        ::kill(m_pid, signalNumber);
}

int GameProcess::waitForExit(std::chrono::seconds limit)
{
    int status = 0;
    if (!waitUntil([this, &status] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit))
        return -1;
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool traceShows(const std::filesystem::path& traceFile, const std::string& scopeName)
{
    return readFile(traceFile).find('"' + scopeName + '"') != std::string::npos;
}

int countEvents(const nlohmann::json& trace, const std::string& name)
{
    int count = 0;
    for (const auto& event : trace["traceEvents"])
        count += event["name"] == name ? 1 : 0;
    return count;
}

} // namespace zelk::test
