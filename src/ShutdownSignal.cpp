#include "ShutdownSignal.h"

#include <iostream>
#include <utility>

#ifdef _WIN32
#include <atomic>
#include <cstdio>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#endif

namespace zelk
{

namespace
{
#ifdef _WIN32
// Console control handlers run on a thread of their own.
std::atomic<bool> g_shutdownRequested{false};

BOOL WINAPI onConsoleControl(DWORD event)
{
    switch (event)
    {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        g_shutdownRequested = true;
        return TRUE;
    case CTRL_CLOSE_EVENT:
        // Windows ends the process as soon as this returns (or after its few seconds' grace), so
        // it waits while the main loop closes the game, which ends the process first.
        g_shutdownRequested = true;
        Sleep(INFINITE);
        return TRUE;
    default:
        // Logoff and shutdown reach a windowed program through its window, not through here.
        return FALSE;
    }
}

// The game's window, its own procedure, and what finishes the game when the session ends.
HWND g_watchedWindow = nullptr;
WNDPROC g_windowProcedure = nullptr;
std::function<void()> g_finishGame;

LRESULT CALLBACK watchWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // WM_QUERYENDSESSION keeps the default answer (the game agrees to end). A WM_ENDSESSION that
    // says the session really ends is the last chance: once it returns, Windows ends the process.
    if (message == WM_ENDSESSION && wParam == TRUE)
    {
        g_finishGame();
        std::fflush(nullptr);
        // At once, as Windows would: the window and the sound device are not taken down while the
        // session's other programs end too.
        TerminateProcess(GetCurrentProcess(), 0);
    }
    return CallWindowProcW(g_windowProcedure, window, message, wParam, lParam);
}

void watchWindowForSessionEnd(sf::WindowHandle window, std::function<void()> finish)
{
    if (window == nullptr || window == g_watchedWindow)
        return;
    g_finishGame = std::move(finish);
    g_windowProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchWindow)));
    g_watchedWindow = window;
}

bool installHandler()
{
    // A program started in a new process group (as `start` does) inherits Ctrl+C switched off;
    // the game wants it, like Ctrl+Break.
    SetConsoleCtrlHandler(nullptr, FALSE);
    if (SetConsoleCtrlHandler(onConsoleControl, TRUE))
        return true;
    std::cerr << "Could not install the console control handler: error " << GetLastError() << std::endl;
    return false;
}
#else
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

bool installHandler()
{
    const bool interrupt = installFor(SIGINT);
    const bool terminate = installFor(SIGTERM);
    return interrupt && terminate;
}

void watchWindowForSessionEnd(sf::WindowHandle, std::function<void()>) {}
#endif
} // namespace

bool ShutdownSignal::install()
{
    return installHandler();
}

bool ShutdownSignal::isRequested()
{
    return g_shutdownRequested != 0;
}

void ShutdownSignal::clear()
{
    g_shutdownRequested = 0;
}

void ShutdownSignal::watchSessionEnd(sf::WindowHandle window, std::function<void()> finish)
{
    watchWindowForSessionEnd(window, std::move(finish));
}

} // namespace zelk
