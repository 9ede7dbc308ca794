#pragma once
// One listener on the event bus, owned like a resource: it is removed from the bus when the
// Subscription is reset or destroyed, so an owner cannot forget to unsubscribe and no listener
// outlives the object it calls into.

#include "EventBus.h"

namespace zelk
{

class Subscription
{
public:
    Subscription() = default;
    // Subscribes at once; the listener runs as EventBus::addListener describes.
    Subscription(EventType type, EventListener listener);
    ~Subscription() { reset(); }

    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    // Removes the listener from the bus; does nothing when there is none.
    void reset();
    bool isActive() const { return m_id != NO_LISTENER; }

private:
    // The bus numbers its listeners from 1.
    static constexpr ListenerId NO_LISTENER = 0;

    ListenerId m_id = NO_LISTENER;
};

} // namespace zelk
