#pragma once
// Helpers for tests that run the screens in-process: small stand-in assets written into a
// sandbox, and input delivered through the game's own event intake, one frame at a time.

#include "TestSupport.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>

#include <string>

namespace zelk
{
class Game;
}

namespace zelk::test
{

// An installed TrueType font the tests use in place of the game's own.
std::string systemFontPath();

// Logo, font and controls picture at the paths the screens load them from.
void writeScreenAssets(const AssetSandbox& sandbox, unsigned controlsPictureHeight = 1080);

sf::Event keyEvent(sf::Event::EventType type, sf::Keyboard::Key key);
sf::Event buttonEvent(sf::Event::EventType type, unsigned joystick, unsigned button);

// Each runs exactly one frame of the game after queueing its events.
void runFrameWith(Game& game, const sf::Event& event);
void pressKey(Game& game, sf::Keyboard::Key key);
void releaseKey(Game& game, sf::Keyboard::Key key);
// Pressed in one frame, let go in the next.
void tapKey(Game& game, sf::Keyboard::Key key);
void tapButton(Game& game, unsigned joystick, unsigned button);

} // namespace zelk::test
