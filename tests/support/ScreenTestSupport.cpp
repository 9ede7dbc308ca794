#include "ScreenTestSupport.h"

#include "DebugDraw.h"
#include "TraceProfiler.h"

namespace zelk::test
{

std::string systemFontPath()
{
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

void writeScreenAssets(const AssetSandbox& sandbox, unsigned controlsPictureHeight)
{
    sandbox.writeImage("Logo/kelo_logo.png", 400, 200, sf::Color(255, 160, 0));
    sandbox.writeImage("Controls.png", 300, controlsPictureHeight, sf::Color(90, 90, 200));
    sandbox.writeAsset("fibberish.ttf", readFile(systemFontPath()));
}

sf::Event keyEvent(sf::Event::EventType type, sf::Keyboard::Key key)
{
    sf::Event event{};
    event.type = type;
    event.key.code = key;
    return event;
}

sf::Event buttonEvent(sf::Event::EventType type, unsigned joystick, unsigned button)
{
    sf::Event event{};
    event.type = type;
    event.joystickButton.joystickId = joystick;
    event.joystickButton.button = button;
    return event;
}

void runFrameWith(Game& game, const sf::Event& event)
{
    game.injectEvent(event);
    game.runFrame();
}

void pressKey(Game& game, sf::Keyboard::Key key)
{
    runFrameWith(game, keyEvent(sf::Event::KeyPressed, key));
}

void releaseKey(Game& game, sf::Keyboard::Key key)
{
    runFrameWith(game, keyEvent(sf::Event::KeyReleased, key));
}

void tapKey(Game& game, sf::Keyboard::Key key)
{
    pressKey(game, key);
    releaseKey(game, key);
}

void tapButton(Game& game, unsigned joystick, unsigned button)
{
    runFrameWith(game, buttonEvent(sf::Event::JoystickButtonPressed, joystick, button));
    runFrameWith(game, buttonEvent(sf::Event::JoystickButtonReleased, joystick, button));
}

bool initPastFirstFrame(Game& game)
{
    return game.init() && game.runFrame();
}

void SandboxedGame::TearDown()
{
    TraceProfiler::getInstance().endTrace();
    DebugDraw::getInstance().clearShapes();
}

} // namespace zelk::test
