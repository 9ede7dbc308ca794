#include "ScreenTestSupport.h"

#include "Game.h"

#include <SFML/Graphics/Image.hpp>

#include <filesystem>

namespace zelk::test
{

std::string systemFontPath()
{
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

void writeImage(const AssetSandbox& sandbox, const std::string& relativePath, unsigned width, unsigned height,
                const sf::Color& color)
{
    const auto path = sandbox.assets() / relativePath;
    std::filesystem::create_directories(path.parent_path());
    sf::Image image;
    image.create(width, height, color);
    image.saveToFile(path.string());
}

void writeScreenAssets(const AssetSandbox& sandbox, unsigned controlsPictureHeight)
{
    writeImage(sandbox, "Logo/kelo_logo.png", 400, 200, sf::Color(255, 160, 0));
    writeImage(sandbox, "Controls.png", 300, controlsPictureHeight, sf::Color(90, 90, 200));
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

} // namespace zelk::test
