#include "GameObjectCreateEvent.h"

#include "EventBus.h"
#include "GameObject.h"

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

void GameObjectCreateEvent::announce(std::shared_ptr<GameObject> gameObject)
{
    EventBus::getInstance().fireEvent(std::make_shared<GameObjectCreateEvent>(std::move(gameObject)));
}

void GameObjectCreateEvent::initAndAnnounce(const std::shared_ptr<GameObject>& gameObject, const char* where)
{
    gameObject->initReporting(where);
    announce(gameObject);
}

} // namespace zelk
