#pragma once
// SIGINT and SIGTERM end the game like the window's close button: the handler only raises a flag,
// and the main loop turns it into a close request at the start of the next frame, so the current
// screen still exits and both trace files end complete.

namespace zelk
{

class ShutdownSignal
{
public:
    // Installs the handler for SIGINT and SIGTERM. Returns false (with a message) if that failed.
    static bool install();
    static bool isRequested();
    // Forgets a request already seen, so a later one is noticed again.
    static void clear();
};

} // namespace zelk
