#pragma once

#include <cstdint>

namespace zelk
{

using EventType = std::uint32_t;

// Base of every event; concrete events carry a fixed type id in their class constant Type.
class IEvent
{
public:
    virtual ~IEvent();
    virtual EventType getEventType() const = 0;
};

} // namespace zelk
