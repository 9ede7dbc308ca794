#include "RenderableCreateEvent.h"

namespace zelk
{

RenderableCreateEvent::RenderableCreateEvent(IRenderComponent& component, std::string layerName)
    : BasicDataEvent<IRenderComponent&>(component)
    , m_layerName(std::move(layerName))
{
}

EventType RenderableCreateEvent::getEventType() const
{
    return Type;
}

} // namespace zelk
