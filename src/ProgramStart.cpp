#include "ProgramStart.h"

#include "AssetPaths.h"

#include <system_error>

#ifdef _WIN32
#include <SFML/System/Err.hpp>

#include <fstream>
#include <iostream>
#include <string>
#include <windows.h>
#endif

namespace zelk
{

#ifdef _WIN32
namespace
{
bool seesAssets()
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(AssetPath::DIRECTORY) / AssetPath::MAP_FILE, error);
}

bool hasStandardError()
{
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The game's output streams (C++'s and SFML's error stream) into FILE. A windowed program's C
// streams have no file underneath that freopen could replace, so the C++ streams get a buffer of
// their own, flushed after every output. It is never destroyed: lines may still come while
// static objects are destroyed at exit.
void sendOutputTo(const char* file)
{
    auto* output = new std::ofstream(file, std::ios::out | std::ios::trunc);
    if (!*output)
        return;
    for (std::ostream* stream : {&std::cout, &std::cerr, &std::clog, &sf::err()})
    {
        stream->rdbuf(output->rdbuf());
        stream->setf(std::ios::unitbuf);
    }
}
} // namespace
#endif

std::filesystem::path ProgramStart::executableDirectory()
{
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return std::filesystem::path(path.substr(0, length)).parent_path();
        path.resize(path.size() * 2);
    }
#else
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
#endif
}

void ProgramStart::enterGameDirectory()
{
#ifdef _WIN32
    if (seesAssets())
        return;
    const std::filesystem::path directory = executableDirectory();
    std::error_code error;
    if (!directory.empty())
        std::filesystem::current_path(directory, error);
#endif
}

void ProgramStart::routeOutput()
{
#ifdef _WIN32
    // Asked before attaching, which may hand the console's handles to the process. The console is
    // attached even when the output is redirected: only then does its Ctrl+C reach the game.
    const bool redirected = hasStandardError();
    const bool console = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (!redirected)
        sendOutputTo(console ? "CONOUT$" : LOG_FILE);
#endif
}

} // namespace zelk
