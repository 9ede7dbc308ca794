#pragma once
// Helpers for tests that run the screens in-process: small stand-in assets written into a
// sandbox, and input delivered through the game's own event intake, one frame at a time.

#include "Game.h"
#include "GameConfig.h"
#include "GameStateManager.h"
#include "InputManager.h"
#include "ScopedInput.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>

#include <string>

namespace zelk::test
{

// An installed TrueType font the tests use in place of the game's own.
std::string systemFontPath();

// Logo, font and controls picture at the paths the screens load them from.
void writeScreenAssets(const AssetSandbox& sandbox, unsigned controlsPictureHeight = 1080);

sf::Event keyEvent(sf::Event::EventType type, sf::Keyboard::Key key);
sf::Event buttonEvent(sf::Event::EventType type, unsigned joystick, unsigned button);

// The game's init and its first frame, in which the new window's focus changes hands (and losing
// the focus lets go of every key): keys queued after it are held as a test means them.
bool initPastFirstFrame(Game& game);

// Each runs exactly one frame of the game after queueing its events.
void runFrameWith(Game& game, const sf::Event& event);
void pressKey(Game& game, sf::Keyboard::Key key);
void releaseKey(Game& game, sf::Keyboard::Key key);
// Pressed in one frame, let go in the next.
void tapKey(Game& game, sf::Keyboard::Key key);
void tapButton(Game& game, unsigned joystick, unsigned button);

// The real game in a sandbox holding a copy of the real assets, entered: the fixture of the tests
// that run the screens in-process.
class SandboxedGame : public ::testing::Test
{
protected:
    // Several cases share one process when an executable is run by hand.
    void TearDown() override;

    GameState* current() { return m_game.getGameStateManager().getCurrentState(); }
    GameState* state(const std::string& name) { return m_game.getGameStateManager().getState(name).get(); }

    ScopedInput m_input;
    AssetSandbox m_sandbox;
    ScopedWorkingDirectory m_workingDirectory{m_sandbox.bin()};
    Game m_game{GameConfig{}};
};

} // namespace zelk::test
