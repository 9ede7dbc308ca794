#pragma once

#include "BasicDataEvent.h"

#include <string>

namespace zelk
{

class IRenderComponent;

class RenderableCreateEvent : public BasicDataEvent<IRenderComponent&>
{
public:
    static constexpr EventType Type = 0x9BA51CE7;

    RenderableCreateEvent(IRenderComponent& component, std::string layerName);
    EventType getEventType() const override;

    std::string m_layerName;
};

} // namespace zelk
