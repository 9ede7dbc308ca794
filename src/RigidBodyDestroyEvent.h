#pragma once

#include "BasicDataEvent.h"

namespace zelk
{

class RigidBodyComponent;

class RigidBodyDestroyEvent : public BasicDataEvent<RigidBodyComponent&>
{
public:
    static constexpr EventType Type = 0x4D24CE6E;

    explicit RigidBodyDestroyEvent(RigidBodyComponent& component);
    EventType getEventType() const override;
};

} // namespace zelk
