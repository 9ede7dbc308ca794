#pragma once

#include "BasicDataEvent.h"

namespace zelk
{

class RigidBodyComponent;

class RigidBodyCreateEvent : public BasicDataEvent<RigidBodyComponent&>
{
public:
    static constexpr EventType Type = 0xE377F57C;

    explicit RigidBodyCreateEvent(RigidBodyComponent& component);
    EventType getEventType() const override;
};

} // namespace zelk
