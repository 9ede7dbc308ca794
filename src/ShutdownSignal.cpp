#include "ShutdownSignal.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>

namespace zelk
{

namespace
{
// Only a lock-free flag may be touched from a signal handler.
volatile std::sig_atomic_t g_shutdownRequested = 0;

extern "C" void onShutdownSignal(int)
{
    g_shutdownRequested = 1;
}

bool installFor(int signalNumber)
{
    struct sigaction action{};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls restart, so the window system and file writes never see EINTR.
    action.sa_flags = SA_RESTART;
    if (sigaction(signalNumber, &action, nullptr) != 0)
    {
        std::cerr << "Could not install the handler for signal " << signalNumber << ": " << std::strerror(errno)
                  << std::endl;
        return false;
    }
    return true;
}
} // namespace

bool ShutdownSignal::install()
{
    const bool interrupt = installFor(SIGINT);
    const bool terminate = installFor(SIGTERM);
    return interrupt && terminate;
}

bool ShutdownSignal::isRequested()
{
    return g_shutdownRequested != 0;
}

void ShutdownSignal::clear()
{
    g_shutdownRequested = 0;
}

} // namespace zelk
