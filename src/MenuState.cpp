#include "MenuState.h"

#include "AssetPaths.h"
#include "Game.h"
#include "GameNames.h"
#include "GameStateManager.h"
#include "InputManager.h"
#include "TraceTimer.h"

#include <SFML/System/Err.hpp>

#include <cmath>

namespace zelk
{

namespace
{
const char* const TITLE = "Bramblot";
const char* const CREDIT_LINE = "A game by the Bramblot team";

void centreOrigin(sf::Text& text)
{
    const sf::FloatRect bounds = text.getLocalBounds();
    text.setOrigin(bounds.left + bounds.width / 2.0f, bounds.top + bounds.height / 2.0f);
}
} // namespace

MenuState::MenuState(GameStateManager* gameStateManager, Game* game)
    : GameState(gameStateManager, game)
{
}

void MenuState::init()
{
    TraceTimer timer("zelk::MenuState::init");
    if (m_initialized)
        return;

    const sf::Vector2f centre = m_game->getWindow().getView().getCenter();
    if (!buildLogo(centre))
        return;
    if (!loadFont())
        return;
    buildTexts(centre);

    m_menuEntries = {m_startText, m_controlsText, m_exitText};
    m_selected = 0;
    m_view = m_game->getWindow().getView();
    m_initialized = true;
}

bool MenuState::buildLogo(const sf::Vector2f& centre)
{
    if (!m_logoTexture.loadFromFile(AssetPath::LOGO))
    {
        sf::err() << "Could not load logo\n";
        return false;
    }
    m_logo.setTexture(m_logoTexture, true);
    m_logo.setScale(0.5f, 0.5f);
    const sf::FloatRect bounds = m_logo.getLocalBounds();
    m_logo.setOrigin(bounds.left + bounds.width / 2.0f, bounds.top + bounds.height / 2.0f);
    m_logo.setPosition(centre.x, centre.y + 350.0f);
    return true;
}

bool MenuState::loadFont()
{
    if (!m_font.loadFromFile(AssetPath::FONT))
    {
        sf::err() << "Could not load font\n";
        return false;
    }
    return true;
}

void MenuState::buildTexts(const sf::Vector2f& centre)
{
    setUpText(m_titleText, TITLE, 120, {centre.x, centre.y - 150.0f});
    setUpText(m_creditText, CREDIT_LINE, 30, {centre.x, centre.y - 50.0f});
    setUpText(m_startText, "Start", 40, {centre.x, centre.y + 50.0f});
    setUpText(m_controlsText, "Controls", 40, {centre.x, centre.y + 100.0f});
    setUpText(m_exitText, "Exit", 40, {centre.x, centre.y + 150.0f});
}

void MenuState::setUpText(sf::Text& text, const std::string& content, unsigned size, const sf::Vector2f& position)
{
    text.setString(content);
    text.setCharacterSize(size);
    text.setFont(m_font);
    text.setFillColor(sf::Color::White);
    centreOrigin(text);
    text.setPosition(position);
}

void MenuState::update(float /*dt*/)
{
    TraceTimer timer("zelk::MenuState::update");
    // A menu that never finished building has no view of its own; leave the window's as it is.
    if (!m_initialized)
        return;
    m_game->getWindow().setView(m_view);
    navigate();
    confirmSelection();
}

void MenuState::navigate()
{
    const auto& input = InputManager::getInstance();
    const float stick = input.getAxisPosition(0, sf::Joystick::Y);
    if (std::fabs(stick) < STICK_CENTRE_ZONE)
        m_stickReleased = true;

    if ((stick > STICK_MOVE_THRESHOLD && m_stickReleased) || input.isKeyPressed(Action::MENU_DOWN, 0) ||
        input.isKeyPressed(Action::DOWN, 0))
    {
        moveSelection(1);
        m_stickReleased = false;
    }
    else if ((stick < -STICK_MOVE_THRESHOLD && m_stickReleased) || input.isKeyPressed(Action::MENU_UP, 0) ||
             input.isKeyPressed(Action::UP, 0))
    {
        moveSelection(-1);
        m_stickReleased = false;
    }
}

void MenuState::moveSelection(int step)
{
    const auto count = static_cast<int>(m_menuEntries.size());
    if (count == 0)
        return;
    m_selected = static_cast<std::size_t>((static_cast<int>(m_selected) + step + count) % count);
}

void MenuState::confirmSelection()
{
    const auto& input = InputManager::getInstance();
    if (!input.isButtonPressed(Action::SELECT, 0) && !input.isKeyPressed(Action::SELECT, 0))
        return;

    const std::string entry = getSelectedEntry();
    if (entry == "Start")
        m_gameStateManager->setState(Screen::MATCH);
    else if (entry == "Exit")
        m_game->getWindow().close();
    else if (entry == "Controls")
        m_gameStateManager->setState(Screen::CONTROLS);
}

std::string MenuState::getSelectedEntry() const
{
    if (m_selected >= m_menuEntries.size())
        return {};
    return m_menuEntries[m_selected].getString();
}

sf::Text MenuState::makeDrawnEntry(std::size_t index) const
{
    sf::Text entry = m_menuEntries.at(index);
    if (entry.getString() == getSelectedEntry())
    {
        entry.setString("> " + entry.getString() + " <");
        centreOrigin(entry);
    }
    return entry;
}

void MenuState::draw()
{
    TraceTimer timer("zelk::MenuState::draw");
    sf::RenderWindow& window = m_game->getWindow();
    window.draw(m_logo);
    if (!m_initialized)
        return;
    window.draw(m_titleText);
    window.draw(m_creditText);
    for (std::size_t index = 0; index < m_menuEntries.size(); ++index)
        window.draw(makeDrawnEntry(index));
}

void MenuState::exit()
{
    TraceTimer timer("zelk::MenuState::exit");
    m_game->getGui().removeAllWidgets();
}

} // namespace zelk
