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
}

LayeredRenderComponent::~LayeredRenderComponent()
{
    // Only for a final class that forgot: the sprite manager must drop its raw pointer either way.
    announceDestruction();
}

void LayeredRenderComponent::announceCreation()
{
    m_announced = true;
    EventBus::getInstance().fireEvent(std::make_shared<RenderableCreateEvent>(*this, m_layerName));
}

void LayeredRenderComponent::announceDestruction()
{
    if (!m_announced)
        return;
    m_announced = false;
    EventBus::getInstance().fireEvent(std::make_shared<RenderableDestroyEvent>(*this, m_layerName));
}

} // namespace zelk
