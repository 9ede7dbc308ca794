#include "RigidBodyDestroyEvent.h"

namespace zelk
{

RigidBodyDestroyEvent::RigidBodyDestroyEvent(RigidBodyComponent& component)
    : BasicDataEvent<RigidBodyComponent&>(component)
{
}

EventType RigidBodyDestroyEvent::getEventType() const
{
    return Type;
}

} // namespace zelk
