#pragma once

#include "BasicDataEvent.h"

#include <memory>

namespace zelk
{

class GameObject;

class GameObjectCreateEvent : public BasicDataEvent<std::shared_ptr<GameObject>>
{
public:
    static constexpr EventType Type = 0xDEC71435;

    explicit GameObjectCreateEvent(std::shared_ptr<GameObject> gameObject);
    EventType getEventType() const override;

    // Hands a new object to whoever keeps the match's objects (the game object manager).
    static void announce(std::shared_ptr<GameObject> gameObject);
    // The end of every creator that builds a whole object first: GameObject::initReporting, then
    // announce. The object is announced even when it failed to initialise.
    static void initAndAnnounce(const std::shared_ptr<GameObject>& gameObject, const char* where);
};

} // namespace zelk
