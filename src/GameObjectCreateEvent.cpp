#include "GameObjectCreateEvent.h"

namespace zelk
{

GameObjectCreateEvent::GameObjectCreateEvent(std::shared_ptr<GameObject> gameObject)
    : BasicDataEvent<std::shared_ptr<GameObject>>(std::move(gameObject))
{
}

EventType GameObjectCreateEvent::getEventType() const
{
    return Type;
}

} // namespace zelk
