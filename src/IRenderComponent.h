#pragma once
// Base of drawable components. Layered ones announce themselves to the sprite manager through
// RenderableCreateEvent / RenderableDestroyEvent; draw() is called by the sprite manager only.

#include "IComponent.h"

#include <SFML/Graphics/RenderWindow.hpp>

namespace zelk
{

class IRenderComponent : public IComponent
{
public:
    IRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow);

    virtual void draw() = 0;

protected:
    sf::RenderWindow& m_renderWindow;
};

} // namespace zelk
