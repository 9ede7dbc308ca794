#include "RenderableDestroyEvent.h"

namespace zelk
{

RenderableDestroyEvent::RenderableDestroyEvent(IRenderComponent& component, std::string layerName)
    : BasicDataEvent<IRenderComponent&>(component)
    , m_layerName(std::move(layerName))
{
}

EventType RenderableDestroyEvent::getEventType() const
{
    return Type;
}

} // namespace zelk
