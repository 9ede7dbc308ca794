// bramblot-mapcheck [MAP]: checks a map for the game without starting it, one line per finding.
// Without MAP it checks the arena the game plays: "../assets/game.tmj" from the working directory as
// the game finds it, else from the executable's directory.
// Exit status: 0 without errors (warnings allowed), 1 with errors, 2 when MAP is no readable map.

#include "AssetPaths.h"
#include "MapChecker.h"
#include "ProgramStart.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace
{

// The arena the game would play from here: the game reads "../assets/" from its working directory,
// so that comes first; otherwise the one beside the checker's own bin/ directory, which is what a
// run from the project root (bin/bramblot-mapcheck) or from another build's bin/ means.
std::filesystem::path arenaPath()
{
    const std::filesystem::path mapFile = std::filesystem::path(zelk::AssetPath::DIRECTORY) / zelk::AssetPath::MAP_FILE;
    std::error_code error;
    if (std::filesystem::exists(mapFile, error))
        return mapFile.lexically_normal();
    const std::filesystem::path executableDirectory = zelk::ProgramStart::executableDirectory();
    const std::filesystem::path binDirectory =
        executableDirectory.empty() ? std::filesystem::current_path(error) : executableDirectory;
    return (binDirectory / mapFile).lexically_normal();
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
    // Also on the standard output: Tiled lists a command's error output as problems of the map, and
    // a clean map has none.
    checker.printSummary(std::cout);
    return checker.getExitStatus();
}
