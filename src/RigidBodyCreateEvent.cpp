#include "RigidBodyCreateEvent.h"

namespace zelk
{

RigidBodyCreateEvent::RigidBodyCreateEvent(RigidBodyComponent& component)
    : BasicDataEvent<RigidBodyComponent&>(component)
{
}

EventType RigidBodyCreateEvent::getEventType() const
{
    return Type;
}

} // namespace zelk
