#include "ProgramStart.h"

#include "AssetPaths.h"

#include <system_error>

#ifdef _WIN32
#include <cstdio>
#include <io.h>
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

// Both streams into one file, unbuffered, so lines keep their order and survive a crash.
void sendOutputTo(const char* file)
{
    if (!std::freopen(file, "w", stdout))
        return;
    _dup2(_fileno(stdout), _fileno(stderr));
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
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
    if (hasStandardError())
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS))
    {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
        return;
    }
    sendOutputTo(LOG_FILE);
#endif
}

} // namespace zelk
