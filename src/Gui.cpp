#include "Gui.h"

namespace zelk
{

void Gui::setTarget(sf::RenderWindow& window)
{
    m_target = &window;
}

bool Gui::handleEvent(const sf::Event& /*event*/)
{
    return false;
}

void Gui::draw()
{
    // Nothing to draw until the game has widgets; without a target there is nowhere to draw.
}

void Gui::removeAllWidgets()
{
}

} // namespace zelk
