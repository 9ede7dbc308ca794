#pragma once
// The system's requests to end the game end it like the window's close button: the handler only
// raises a flag, and the main loop turns it into a close request at the start of the next frame,
// so the current screen still exits and both trace files end complete. On Linux these are SIGINT
// and SIGTERM; on Windows the console's Ctrl+C, Ctrl+Break and close, which reach the game when
// it was started from a console.

#include <SFML/Window/WindowHandle.hpp>

#include <functional>

namespace zelk
{

class ShutdownSignal
{
public:
    // Installs the handler. Returns false (with a message) if that failed.
    static bool install();
    static bool isRequested();
    // Forgets a request already seen, so a later one is noticed again.
    static void clear();

    // Windows asks a windowed program to end with the session (logoff, shutdown) through its
    // window, and ends the process as soon as the window has answered, so the main loop never
    // sees it. Once the game's window is watched, FINISH runs there and the process then ends with
    // status 0. Called every frame with the open window: a window already watched is left as it is.
    // Elsewhere the session's end arrives as SIGTERM, and this does nothing.
    static void watchSessionEnd(sf::WindowHandle window, std::function<void()> finish);
};

} // namespace zelk
