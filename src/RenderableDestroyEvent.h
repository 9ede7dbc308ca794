#pragma once

#include "BasicDataEvent.h"

#include <string>

namespace zelk
{

class IRenderComponent;

class RenderableDestroyEvent : public BasicDataEvent<IRenderComponent&>
{
public:
    static constexpr EventType Type = 0xDA1E1387;

    RenderableDestroyEvent(IRenderComponent& component, std::string layerName);
    EventType getEventType() const override;

    std::string m_layerName;
};

} // namespace zelk
