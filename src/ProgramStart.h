#pragma once
// Where the programs run and where their output lines go, settled before a game starts.

#include <filesystem>

namespace zelk
{

class ProgramStart
{
public:
    // The folder of the running program; empty when the system cannot tell.
    static std::filesystem::path executableDirectory();
    // Windows starts a program from a shortcut, a file manager or a console in any working
    // directory, so there the game moves to its own folder (bin/) when the working directory has
    // no "../assets". On Linux `make run` and the launcher start it in bin/, and it stays put.
    static void enterGameDirectory();
    // A windowed program on Windows has no console of its own: it joins the console it was started
    // from, if any, which then delivers Ctrl+C. Unless its output is redirected, its lines go to
    // that console, or without one to LOG_FILE in the working directory, beside the traces.
    // Elsewhere nothing changes.
    static void routeOutput();

    static constexpr const char* LOG_FILE = "bramblot.log";
};

} // namespace zelk
