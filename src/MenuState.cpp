#include "MenuState.h"

#include "AssetPaths.h"
#include "Game.h"
#include "GameNames.h"
#include "GameStateManager.h"
#include "TraceTimer.h"

#include <SFML/System/Err.hpp>

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
    if (!loadFont(m_font))
        return;
    buildTexts(centre);

    m_menu.setEntries({m_startText, m_controlsText, m_exitText});
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
    m_menu.navigate();
    confirmSelection();
}

void MenuState::confirmSelection()
{
    if (!m_menu.isConfirmed())
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
    return m_menu.getMarkedWord();
}

sf::Text MenuState::makeDrawnEntry(std::size_t index) const
{
    sf::Text entry = m_menu.markedCopy(index);
    // The frame around the marked word makes it wider; it stays centred on its place.
    if (m_menu.isMarked(index))
        centreOrigin(entry);
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
    for (std::size_t index = 0; index < m_menu.getEntries().size(); ++index)
        window.draw(makeDrawnEntry(index));
}

void MenuState::exit()
{
    TraceTimer timer("zelk::MenuState::exit");
    m_game->getGui().removeAllWidgets();
}

} // namespace zelk
