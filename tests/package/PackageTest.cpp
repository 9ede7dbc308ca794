// The Debian package built from this tree (by the Package.Build test before these run): it passes
// lintian and the desktop validators, and unpacked anywhere it starts the game through its
// launcher from any directory, with the traces in the user's state directory and nothing written
// into the installed tree.

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

TEST(Package, PassesLintianAndTheDesktopValidators)
{
    ASSERT_TRUE(fs::exists(packageFile())) << packageFile();

    const CommandResult lintian = runCommand("lintian --fail-on error " + quoted(packageFile()) + " 2>&1");
    EXPECT_EQ(lintian.status, 0) << lintian.output;
    EXPECT_EQ(lintian.output.find("E: "), std::string::npos) << lintian.output;

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
    int launchAndCloseFromTheMenu(const fs::path& installRoot)
    {
        GameProcess game(m_display, elsewhere(), installRoot / "usr/games/bramblot", m_environment);
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

    void expectAssetsLinkedTo(const fs::path& installRoot) const
    {
        const fs::path link = stateDir() / "assets";
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), fs::canonical(installRoot / "usr/share/games/bramblot/assets"));
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

    ASSERT_EQ(launchAndCloseFromTheMenu(installed), 0);
    expectMenuTracesInTheStateDir();
    expectAssetsLinkedTo(installed);
    EXPECT_EQ(contentsOf(installed), packaged) << "the installed tree is never written to";
    EXPECT_TRUE(fs::is_empty(elsewhere())) << "the directory the game was started from stays untouched";

    // The same state directory is reused; the link follows the installation to its new place.
    const fs::path moved = m_sandbox.path() / "moved";
    fs::rename(installed, moved);
    fs::remove(stateDir() / "bin/runtime.json");
    ASSERT_EQ(launchAndCloseFromTheMenu(moved), 0);
    expectMenuTracesInTheStateDir();
    expectAssetsLinkedTo(moved);
    EXPECT_EQ(contentsOf(moved), packaged);
}

INSTANTIATE_TEST_SUITE_P(
    StateHomes, UnpackedPackage,
    ::testing::Values(StateHome{"DefaultStateHome", "", ".local/state/bramblot"},
                      StateHome{"XdgStateHome", "xdg-state", "xdg-state/bramblot"}),
    [](const ::testing::TestParamInfo<StateHome>& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelk
