#include "LayeredRenderComponent.h"

#include "EventBus.h"
#include "RenderableCreateEvent.h"
#include "RenderableDestroyEvent.h"

namespace zelk
{

LayeredRenderComponent::LayeredRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow,
                                               std::string layerName)
    : IRenderComponent(gameObject, renderWindow)
    , m_layerName(std::move(layerName))
{
    // The sprite manager only files the address now; nothing is drawn before construction ends.
    EventBus::getInstance().fireEvent(std::make_shared<RenderableCreateEvent>(*this, m_layerName));
}

LayeredRenderComponent::~LayeredRenderComponent()
{
    // The sprite manager holds a raw pointer to us and must drop it before we go.
    EventBus::getInstance().fireEvent(std::make_shared<RenderableDestroyEvent>(*this, m_layerName));
}

} // namespace zelk
