#pragma once
// The game's widget layer. The screens create no widgets, so this layer only keeps its place in
// the frame: it is fed every window event, drawn last, and cleared when a screen is left.

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

namespace zelk
{

class Gui
{
public:
    void setTarget(sf::RenderWindow& window);
    // Returns whether a widget used the event; with no widgets none ever does.
    bool handleEvent(const sf::Event& event);
    void draw();
    void removeAllWidgets();

private:
    sf::RenderWindow* m_target = nullptr;
};

} // namespace zelk
