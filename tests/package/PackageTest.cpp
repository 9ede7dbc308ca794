// The Debian package and the portable archive built from this tree (by the Package.Build and
// Portable.Build tests before these run): the package passes lintian and the desktop validators,
// and each, unpacked anywhere, starts the game through its launcher from any directory, with the
// traces in the user's state directory and nothing written into the unpacked tree. The portable
// game runs on the libraries in its archive, and the archive leaves out what the system provides.

#include "GameProcessSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>

namespace zelk
{
namespace
{

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using test::CommandResult;
using test::Environment;
using test::GameProcess;
using test::PrivateDisplay;
using test::TemporaryDirectory;
using test::countEvents;
using test::runCommand;

const char* const APP_ID = "games.kelo.Bramblot";

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

fs::path packageFile()
{
    std::string architecture = runCommand("dpkg --print-architecture").output;
    while (!architecture.empty() && architecture.back() == '\n')
        architecture.pop_back();
    return fs::path(BRAMBLOT_PACKAGE_DIR) / ("bramblot_" BRAMBLOT_VERSION "_" + architecture + ".deb");
}

// The package's files under root, as `apt install` would place them under /.
bool unpackPackage(const fs::path& root)
{
    return runCommand("dpkg-deb -x " + quoted(packageFile()) + " " + quoted(root)).status == 0;
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

fs::path portableArchive()
{
    return fs::path(BRAMBLOT_PORTABLE_DIR) /
           ("bramblot-" BRAMBLOT_VERSION "-linux-" + firstLine(runCommand("uname -m").output) + ".tar.gz");
}

// Where an unpacked installation keeps its launcher, game and assets.
struct Layout
{
    fs::path launcher;
    fs::path game;
    fs::path assets;
};

Layout packageLayout(const fs::path& root)
{
    return {root / "usr/games/bramblot", root / "usr/libexec/bramblot/bramblot", root / "usr/share/games/bramblot/assets"};
}

Layout portableLayout(const fs::path& root)
{
    const fs::path top = root / ("bramblot-" BRAMBLOT_VERSION);
    return {top / "bramblot", top / "libexec/bramblot/bramblot", top / "share/games/bramblot/assets"};
}

// The file ldd resolves the first library whose name starts with namePrefix to, from lines like
// "libogg.so.0 => /path/libogg.so.0 (0x...)"; empty when there is none.
fs::path resolvedLibrary(const std::string& ldd, const std::string& namePrefix)
{
    const std::size_t line = ldd.find("\t" + namePrefix);
    const std::size_t arrow = ldd.find(" => ", line);
    if (line == std::string::npos || arrow == std::string::npos)
        return {};
    const std::size_t path = arrow + 4;
    return ldd.substr(path, ldd.find(' ', path) - path);
}

TEST(Package, PassesLintianAndTheDesktopValidators)
{
    ASSERT_TRUE(fs::exists(packageFile())) << packageFile();

    // No errors or warnings, and none of the informational tags of a binary built without
    // Debian's hardening flags.
    const CommandResult lintian =
        runCommand("lintian --fail-on error,warning --display-info " + quoted(packageFile()) + " 2>&1");
    EXPECT_EQ(lintian.status, 0) << lintian.output;
    EXPECT_EQ(lintian.output.find("E: "), std::string::npos) << lintian.output;
    EXPECT_EQ(lintian.output.find("W: "), std::string::npos) << lintian.output;
    EXPECT_EQ(lintian.output.find("hardening-"), std::string::npos) << lintian.output;

    TemporaryDirectory root;
    ASSERT_TRUE(unpackPackage(root.path()));
    const fs::path share = root.path() / "usr/share";
    const fs::path desktopEntry = share / "applications" / (std::string(APP_ID) + ".desktop");
    const fs::path metainfoFile = share / "metainfo" / (std::string(APP_ID) + ".metainfo.xml");
    const CommandResult desktop = runCommand("desktop-file-validate " + quoted(desktopEntry) + " 2>&1");
    EXPECT_EQ(desktop.status, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "") << "warnings count too";
    const CommandResult metainfo = runCommand("appstreamcli validate --no-net " + quoted(metainfoFile) + " 2>&1");
    EXPECT_EQ(metainfo.status, 0) << metainfo.output;

    // Dependencies found by dpkg-shlibdeps from what the game links, not a hand-kept list.
    const std::string depends = runCommand("dpkg-deb -f " + quoted(packageFile()) + " Depends").output;
    EXPECT_NE(depends.find("libsfml-graphics"), std::string::npos) << depends;
    EXPECT_NE(depends.find("libbox2d"), std::string::npos) << depends;
}

TEST(Package, LauncherWithoutTheInstalledAssetsSaysSoAndFails)
{
    TemporaryDirectory sandbox;
    ASSERT_TRUE(unpackPackage(sandbox.path() / "root"));
    fs::remove_all(sandbox.path() / "root/usr/share/games/bramblot/assets");

    const CommandResult launch = runCommand("HOME=" + quoted(sandbox.path()) + " XDG_STATE_HOME= " +
                                            quoted(sandbox.path() / "root/usr/games/bramblot") + " 2>&1");
    EXPECT_EQ(launch.status, 1);
    EXPECT_NE(launch.output.find("bramblot: the game assets are missing"), std::string::npos) << launch.output;
}

struct StateHome
{
    const char* name;
    // XDG_STATE_HOME relative to the sandbox; empty counts as unset.
    const char* xdgStateHome;
    // Where the launcher must keep its directory, relative to the sandbox (HOME).
    const char* expectedStateDir;
};

std::ostream& operator<<(std::ostream& stream, const StateHome& stateHome)
{
    return stream << stateHome.name;
}

class UnpackedPackage : public ::testing::TestWithParam<StateHome>
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_display.name().empty()) << "Xvfb did not start";
        fs::create_directories(elsewhere());
        const std::string xdgStateHome = GetParam().xdgStateHome;
        m_environment = {{"HOME", m_sandbox.path().string()},
                         {"XDG_STATE_HOME", xdgStateHome.empty() ? "" : (m_sandbox.path() / xdgStateHome).string()}};
    }

    fs::path elsewhere() const { return m_sandbox.path() / "elsewhere"; }
    fs::path stateDir() const { return m_sandbox.path() / GetParam().expectedStateDir; }

    // Starts the installation's launcher from an unrelated directory, waits for the menu and
    // closes the game like the window's close button; returns the exit status.
    int launchAndCloseFromTheMenu(const Layout& installation)
    {
        GameProcess game(m_display, elsewhere(), installation.launcher, m_environment);
        if (!game.started() || m_display.xdotool("search --sync --name Bramblot").empty())
            return -1;
        // The menu's first update in the trace, not a fixed wait: a loaded machine starts slowly.
        EXPECT_TRUE(test::waitUntil(
            [&] { return test::traceShows(stateDir() / "bin/runtime.json", "zelk::MenuState::update"); }, 60s))
            << "the menu never ran";
        game.send(SIGTERM);
        return game.waitForExit(60s);
    }

    void expectMenuTracesInTheStateDir() const
    {
        const auto startup = nlohmann::json::parse(test::readFile(stateDir() / "bin/startup.json"), nullptr, false);
        const auto runtime = nlohmann::json::parse(test::readFile(stateDir() / "bin/runtime.json"), nullptr, false);
        ASSERT_FALSE(startup.is_discarded()) << "no valid startup.json in " << stateDir();
        ASSERT_FALSE(runtime.is_discarded()) << "no valid runtime.json in " << stateDir();
        EXPECT_EQ(countEvents(startup, "zelk::Game::init"), 1);
        EXPECT_EQ(countEvents(runtime, "zelk::MenuState::init"), 1) << "the menu was not reached";
    }

    void expectAssetsLinkedTo(const Layout& installation) const
    {
        const fs::path link = stateDir() / "assets";
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), fs::canonical(installation.assets));
    }

    // Every path under the installation, relative to it, to prove the game wrote nothing there.
    static std::set<fs::path> contentsOf(const fs::path& installRoot)
    {
        std::set<fs::path> contents;
        for (const auto& entry : fs::recursive_directory_iterator(installRoot))
            contents.insert(fs::relative(entry.path(), installRoot));
        return contents;
    }

    TemporaryDirectory m_sandbox;
    PrivateDisplay m_display;
    Environment m_environment;
};

TEST_P(UnpackedPackage, StartsFromAnyDirectoryAndRenewsTheAssetsLinkWhenMoved)
{
    const fs::path installed = m_sandbox.path() / "installed";
    ASSERT_TRUE(unpackPackage(installed));
    const auto packaged = contentsOf(installed);

    ASSERT_EQ(launchAndCloseFromTheMenu(packageLayout(installed)), 0);
    expectMenuTracesInTheStateDir();
    expectAssetsLinkedTo(packageLayout(installed));
    EXPECT_EQ(contentsOf(installed), packaged) << "the installed tree is never written to";
    EXPECT_TRUE(fs::is_empty(elsewhere())) << "the directory the game was started from stays untouched";

    // The same state directory is reused; the link follows the installation to its new place.
    const fs::path moved = m_sandbox.path() / "moved";
    fs::rename(installed, moved);
    fs::remove(stateDir() / "bin/runtime.json");
    ASSERT_EQ(launchAndCloseFromTheMenu(packageLayout(moved)), 0);
    expectMenuTracesInTheStateDir();
    expectAssetsLinkedTo(packageLayout(moved));
    EXPECT_EQ(contentsOf(moved), packaged);
}

TEST_P(UnpackedPackage, PortableArchiveRunsOnItsOwnLibraries)
{
    const fs::path unpacked = m_sandbox.path() / "portable";
    fs::create_directories(unpacked);
    ASSERT_EQ(runCommand("tar -xzf " + quoted(portableArchive()) + " -C " + quoted(unpacked)).status, 0)
        << portableArchive();
    const Layout portable = portableLayout(unpacked);
    EXPECT_TRUE(fs::exists(portable.launcher.parent_path() / "LICENSE"));

    const fs::path bundled = fs::canonical(portable.game.parent_path() / "lib");
    const std::string ldd = runCommand("ldd " + quoted(portable.game)).output;
    for (const char* library : {"libsfml-graphics.so", "libsfml-audio.so", "libbox2d.so", "libopenal.so", "libfreetype.so"})
        EXPECT_EQ(resolvedLibrary(ldd, library).parent_path(), bundled) << library << ":\n" << ldd;
    // The system's own: the C and C++ runtimes, OpenGL, X11 and the sound system.
    for (const char* systemLibrary : {"libc.so.6", "libstdc++.so.6", "libGL.so.1", "libX11.so.6", "libasound.so.2"})
        EXPECT_FALSE(fs::exists(bundled / systemLibrary)) << systemLibrary;

    ASSERT_EQ(launchAndCloseFromTheMenu(portable), 0);
    expectMenuTracesInTheStateDir();
    expectAssetsLinkedTo(portable);
    EXPECT_TRUE(fs::is_empty(elsewhere()));
}

INSTANTIATE_TEST_SUITE_P(
    StateHomes, UnpackedPackage,
    ::testing::Values(StateHome{"DefaultStateHome", "", ".local/state/bramblot"},
                      StateHome{"XdgStateHome", "xdg-state", "xdg-state/bramblot"}),
    [](const ::testing::TestParamInfo<StateHome>& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelk
