// Every asset file the game loads, taken away or replaced by garbage, one at a time: the game still
// reaches the menu and (where the screens allow it without that file) the match, says what is
// wrong, and closes cleanly through its close request.

#include "Game.h"
#include "GameConfig.h"
#include "GameStateManager.h"
#include "MainState.h"
#include "ScopedInput.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"

#include <SFML/System/Err.hpp>
#include <SFML/Window/Event.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>

namespace zelk
{
namespace
{

enum class Damage
{
    Missing,
    Garbage,
};

enum class Reach
{
    // The menu cannot be built, so it offers nothing to choose.
    MenuOnly,
    // The match screen opens but the match does not start.
    MatchScreen,
    Match,
};

struct AssetCase
{
    const char* name;
    const char* file; // relative to assets/
    Damage damage;
    // What the output must name; the file's own name when empty.
    const char* message;
    Reach reach;
};

std::ostream& operator<<(std::ostream& stream, const AssetCase& assetCase)
{
    return stream << assetCase.name;
}

// Bytes that are no PNG, font, WAV or Ogg at all, but start like each of them might.
std::string garbageFor(const std::string& file)
{
    std::string bytes;
    if (file.find(".png") != std::string::npos)
        bytes = "\x89PNG\r\n\x1a\n";
    else if (file.find(".wav") != std::string::npos)
        bytes = "RIFF\x10\0\0\0WAVEfmt ";
    else if (file.find(".ogg") != std::string::npos)
        bytes = "OggS";
    for (int i = 0; i < 512; ++i)
        bytes += static_cast<char>((i * 73 + 11) % 256);
    return bytes;
}

class MissingAssetsTest : public ::testing::TestWithParam<AssetCase>
{
protected:
    MissingAssetsTest()
        : m_sandbox(GetParam().damage == Damage::Missing ? std::vector<std::string>{GetParam().file}
                                                         : std::vector<std::string>{})
        , m_workingDirectory(m_sandbox.bin())
    {
        if (GetParam().damage == Damage::Garbage)
            m_sandbox.writeAsset(GetParam().file, garbageFor(GetParam().file));
    }

    bool isCurrent(const std::string& stateName)
    {
        const auto state = m_game.getGameStateManager().getState(stateName);
        return state && m_game.getGameStateManager().getCurrentState() == state.get();
    }

    MainState& match()
    {
        return dynamic_cast<MainState&>(*m_game.getGameStateManager().getState("MainState"));
    }

    // Runs frames until the condition holds; false if it never does within the frame budget.
    bool runUntil(const std::function<bool()>& condition, int maxFrames = 600)
    {
        for (int frame = 0; frame < maxFrames; ++frame)
        {
            if (condition())
                return true;
            if (!m_game.runFrame())
                return false;
        }
        return condition();
    }

    void runFor(std::chrono::milliseconds span)
    {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end)
            ASSERT_TRUE(m_game.runFrame());
    }

    std::string output() const { return m_err.text() + m_cerr.text() + m_cout.text(); }

    test::ScopedInput m_input{test::ScopedInput::Joysticks::FromDevices};
    test::AssetSandbox m_sandbox;
    test::ScopedWorkingDirectory m_workingDirectory;
    test::StreamCapture m_err{sf::err()};
    test::StreamCapture m_cerr{std::cerr};
    test::StreamCapture m_cout{std::cout};
    Game m_game{GameConfig{}};
};

TEST_P(MissingAssetsTest, TheGameSaysSoGoesAsFarAsItCanAndClosesCleanly)
{
    const AssetCase& assetCase = GetParam();
    ASSERT_TRUE(m_game.init());
    ASSERT_TRUE(runUntil([this] { return isCurrent("MenuState"); }));

    // The controls screen and back.
    test::tapKey(m_game, sf::Keyboard::Down);
    test::tapKey(m_game, sf::Keyboard::Enter);
    if (assetCase.reach != Reach::MenuOnly)
    {
        ASSERT_TRUE(runUntil([this] { return isCurrent("InstructionState"); }));
        test::tapKey(m_game, sf::Keyboard::Escape);
        ASSERT_TRUE(runUntil([this] { return isCurrent("MenuState"); }));
        test::tapKey(m_game, sf::Keyboard::Up);
    }

    // Into the match, a moment of play (the spawners drop their first items), and back.
    test::tapKey(m_game, sf::Keyboard::Enter);
    if (assetCase.reach == Reach::MenuOnly)
    {
        runFor(std::chrono::milliseconds(200));
        EXPECT_TRUE(isCurrent("MenuState")) << "a menu without its assets offers nothing to choose";
    }
    else
    {
        ASSERT_TRUE(runUntil([this] { return isCurrent("MainState"); }));
        EXPECT_EQ(match().isRunning(), assetCase.reach == Reach::Match);
        runFor(std::chrono::milliseconds(1200));
        test::tapKey(m_game, sf::Keyboard::Escape);
        EXPECT_TRUE(runUntil([this] { return isCurrent("MenuState"); })) << "Escape leaves the match";
    }

    const std::string expected = assetCase.message[0] != '\0'
                                     ? std::string(assetCase.message)
                                     : std::filesystem::path(assetCase.file).filename().string();
    EXPECT_NE(output().find(expected), std::string::npos) << "expected \"" << expected << "\" in:\n" << output();

    sf::Event close{};
    close.type = sf::Event::Closed;
    m_game.injectEvent(close);
    EXPECT_FALSE(m_game.runFrame()) << "the close request ends the game";
    EXPECT_FALSE(m_game.getWindow().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    EveryAsset, MissingAssetsTest,
    ::testing::Values(
        AssetCase{"MissingFont", "fibberish.ttf", Damage::Missing, "Could not load font", Reach::MenuOnly},
        AssetCase{"MissingLogo", "Logo/kelo_logo.png", Damage::Missing, "Could not load logo", Reach::MenuOnly},
        AssetCase{"MissingControlsPicture", "Controls.png", Damage::Missing, "Could not load Controls", Reach::Match},
        AssetCase{"MissingHeart", "Health/heart.png", Damage::Missing, "Could not load texture from", Reach::Match},
        AssetCase{"MissingHeartBackground", "Health/background.png", Damage::Missing, "Could not load texture from",
                  Reach::Match},
        AssetCase{"MissingPlayer0Sheet", "Player/player0.png", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingPlayer1Sheet", "Player/player1.png", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingRock", "Items/rock.png", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingBomb", "Items/bomb.png", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingArenaTileset", "Tiles/arena.png", Damage::Missing, "Could not load texture", Reach::Match},
        AssetCase{"MissingPropsTileset", "Tiles/props.png", Damage::Missing, "Could not load texture", Reach::Match},
        AssetCase{"MissingExplosionSound", "Sounds/explosionCrunch_003.ogg", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingThrowSound", "Sounds/laserRetro_003.ogg", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingHitSound", "Sounds/loseHealth2.wav", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingSplashSound", "Sounds/water.wav", Damage::Missing, "", Reach::Match},
        AssetCase{"MissingMusic", "Sounds/pixel-sky.wav", Damage::Missing, "Could not load background music",
                  Reach::MatchScreen},
        AssetCase{"MissingMap", "game.tmj", Damage::Missing, "Error loading", Reach::MatchScreen},
        AssetCase{"GarbagePng", "Player/player0.png", Damage::Garbage, "", Reach::Match},
        AssetCase{"GarbageLogo", "Logo/kelo_logo.png", Damage::Garbage, "Could not load logo", Reach::MenuOnly},
        AssetCase{"GarbageFont", "fibberish.ttf", Damage::Garbage, "Could not load font", Reach::MenuOnly},
        AssetCase{"GarbageWav", "Sounds/loseHealth2.wav", Damage::Garbage, "", Reach::Match},
        AssetCase{"GarbageOgg", "Sounds/laserRetro_003.ogg", Damage::Garbage, "", Reach::Match},
        AssetCase{"GarbageMusic", "Sounds/pixel-sky.wav", Damage::Garbage, "Could not load background music",
                  Reach::MatchScreen}),
    [](const ::testing::TestParamInfo<AssetCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelk
