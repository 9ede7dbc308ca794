#include "InstructionState.h"

#include "AssetPaths.h"
#include "Game.h"
#include "GameNames.h"
#include "GameStateManager.h"
#include "InputManager.h"
#include "TraceTimer.h"

#include <SFML/System/Err.hpp>

namespace zelk
{

namespace
{
const char* const HEADING = "Controls";
const char* const HINT = "Press Menu Button or ESC to go back!";
} // namespace

InstructionState::InstructionState(GameStateManager* gameStateManager, Game* game)
    : GameState(gameStateManager, game)
{
}

void InstructionState::init()
{
    TraceTimer timer("zelk::InstructionState::init");
    if (m_initialized)
        return;

    sf::RenderWindow& window = m_game->getWindow();
    const sf::Vector2f centre = window.getView().getCenter();
    const unsigned windowHeight = window.getSize().y;
    if (!buildPicture(centre, windowHeight))
        return;
    if (!loadFont(m_font))
        return;
    buildTexts(centre, windowHeight);

    m_view = window.getView();
    m_initialized = true;
}

bool InstructionState::buildPicture(const sf::Vector2f& centre, unsigned windowHeight)
{
    if (!m_pictureTexture.loadFromFile(AssetPath::CONTROLS_PICTURE))
    {
        sf::err() << "Could not load Controls\n";
        return false;
    }
    m_picture.setTexture(m_pictureTexture, true);
    // Computed in floating point: a picture taller than the screen must shrink, not vanish.
    const float scale = static_cast<float>(windowHeight) / static_cast<float>(m_pictureTexture.getSize().y) *
                        PICTURE_HEIGHT_SHARE;
    m_picture.setScale(scale, scale);
    const sf::FloatRect bounds = m_picture.getLocalBounds();
    m_picture.setOrigin(bounds.left + bounds.width / 2.0f, bounds.top + bounds.height / 2.0f);
    m_picture.setPosition(centre);
    return true;
}

void InstructionState::buildTexts(const sf::Vector2f& centre, unsigned windowHeight)
{
    // Signed, so a window lower than the two margins does not wrap around.
    const float edgeOffset = static_cast<float>(static_cast<int>(windowHeight / 2) - EDGE_MARGIN);

    m_heading.setPosition(centre.x, centre.y - edgeOffset);
    m_heading.setString(HEADING);
    m_heading.setCharacterSize(120);
    m_heading.setFont(m_font);
    const sf::FloatRect headingBounds = m_heading.getLocalBounds();
    m_heading.setOrigin(headingBounds.width / 2.0f, 0.0f);

    m_hint.setPosition(centre.x, centre.y + edgeOffset);
    m_hint.setString(HINT);
    m_hint.setCharacterSize(30);
    m_hint.setFont(m_font);
    const sf::FloatRect hintBounds = m_hint.getLocalBounds();
    m_hint.setOrigin(hintBounds.width / 2.0f, hintBounds.height);
}

void InstructionState::update(float /*dt*/)
{
    TraceTimer timer("zelk::InstructionState::update");
    if (m_initialized)
        m_game->getWindow().setView(m_view);

    const auto& input = InputManager::getInstance();
    if (input.isKeyPressed(Action::EXIT, 0) || input.isButtonPressedOnAnyJoystick(Action::MENU))
        m_gameStateManager->setState(Screen::MENU);
}

void InstructionState::draw()
{
    TraceTimer timer("zelk::InstructionState::draw");
    sf::RenderWindow& window = m_game->getWindow();
    window.draw(m_picture);
    if (!m_initialized)
        return;
    window.draw(m_heading);
    window.draw(m_hint);
}

void InstructionState::exit()
{
    TraceTimer timer("zelk::InstructionState::exit");
    m_game->getGui().removeAllWidgets();
}

} // namespace zelk
