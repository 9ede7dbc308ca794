#include "Subscription.h"

#include <utility>

namespace zelk
{

Subscription::Subscription(EventType type, EventListener listener)
    : m_id(EventBus::getInstance().addListener(type, std::move(listener)))
{
}

Subscription::Subscription(Subscription&& other) noexcept
    : m_id(std::exchange(other.m_id, NO_LISTENER))
{
}

Subscription& Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other)
    {
        reset();
        m_id = std::exchange(other.m_id, NO_LISTENER);
    }
    return *this;
}

void Subscription::reset()
{
    if (isActive())
        EventBus::getInstance().removeListener(std::exchange(m_id, NO_LISTENER));
}

} // namespace zelk
