// bramblot-mapcheck [MAP]: checks a map for the game without starting it, one line per finding.
// Without MAP it checks the arena the game plays: its map path taken from the executable's directory,
// as the game takes it from its working directory, bin/.
// Exit status: 0 without errors (warnings allowed), 1 with errors, 2 when MAP is no readable map.

#include "AssetPaths.h"
#include "MapChecker.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace
{

std::filesystem::path arenaPath()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path binDirectory = error ? std::filesystem::current_path(error) : executable.parent_path();
    return (binDirectory / zelk::AssetPath::DIRECTORY / zelk::AssetPath::MAP_FILE).lexically_normal();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")))
    {
        std::cerr << "Usage: bramblot-mapcheck [MAP]   (default: the arena, assets/game.tmj)\n";
        return zelk::MapChecker::UNREADABLE;
    }
    const std::filesystem::path map = argc == 2 ? std::filesystem::path(argv[1]) : arenaPath();
    zelk::MapChecker checker;
    checker.check(map);
    checker.print(std::cout);
    // Also on the standard output: Tiled shows a command's error output as the map's issues, and a
    // clean map is no issue.
    checker.printSummary(std::cout);
    return checker.getExitStatus();
}
