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
};

} // namespace zelk
