#include "TextMenu.h"

#include "GameNames.h"
#include "InputManager.h"

#include <cmath>

namespace zelk
{

TextMenu::TextMenu(float centreZone, float moveThreshold)
    : m_centreZone(centreZone)
    , m_moveThreshold(moveThreshold)
{
}

void TextMenu::setEntries(std::vector<sf::Text> entries)
{
    m_entries = std::move(entries);
    m_marked = 0;
}

void TextMenu::clear()
{
    m_entries.clear();
    m_marked = 0;
    m_stickReleased = false;
}

void TextMenu::navigate()
{
    const auto& input = InputManager::getInstance();
    const float stick = input.getAxisPosition(0, sf::Joystick::Y);
    if (std::fabs(stick) < m_centreZone)
        m_stickReleased = true;

    if ((stick > m_moveThreshold && m_stickReleased) || input.isKeyPressed(Action::MENU_DOWN, 0) ||
        input.isKeyPressed(Action::DOWN, 0))
    {
        moveMark(1);
        m_stickReleased = false;
    }
    else if ((stick < -m_moveThreshold && m_stickReleased) || input.isKeyPressed(Action::MENU_UP, 0) ||
             input.isKeyPressed(Action::UP, 0))
    {
        moveMark(-1);
        m_stickReleased = false;
    }
}

void TextMenu::moveMark(int step)
{
    const auto count = static_cast<int>(m_entries.size());
    if (count == 0)
        return;
    m_marked = static_cast<std::size_t>((static_cast<int>(m_marked) + step + count) % count);
}

bool TextMenu::isConfirmed() const
{
    const auto& input = InputManager::getInstance();
    return !m_entries.empty() && (input.isButtonPressed(Action::SELECT, 0) || input.isKeyPressed(Action::SELECT, 0));
}

sf::Text TextMenu::markedCopy(std::size_t index) const
{
    sf::Text entry = m_entries.at(index);
    if (isMarked(index))
        entry.setString("> " + entry.getString() + " <");
    return entry;
}

const sf::Text* TextMenu::getMarkedEntry() const
{
    return m_marked < m_entries.size() ? &m_entries[m_marked] : nullptr;
}

std::string TextMenu::getMarkedWord() const
{
    const sf::Text* marked = getMarkedEntry();
    return marked ? std::string(marked->getString()) : std::string();
}

} // namespace zelk
