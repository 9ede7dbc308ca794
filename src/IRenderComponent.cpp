#include "IRenderComponent.h"

namespace zelk
{

IRenderComponent::IRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow)
    : IComponent(gameObject)
    , m_renderWindow(renderWindow)
{
}

} // namespace zelk
