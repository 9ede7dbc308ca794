#pragma once
// Process-wide, synchronous event bus through which creators announce what they made.
//
// Contract: fireEvent() calls every listener of the event's type at once, in subscription order,
// on the caller's stack. A listener may fire further events (dispatched nested, at once) and may
// remove listeners, itself included: a listener removed during a dispatch is not called afterwards
// in that dispatch, and the dispatch itself stays valid. processEvents() drains the deferred queue
// and then flips the queue index.

#include "IEvent.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <unordered_map>
#include <utility>

namespace zelk
{

using ListenerId = std::uint32_t;
using EventListener = std::function<void(std::shared_ptr<IEvent>)>;

class EventBus
{
public:
    static EventBus& getInstance();

    EventBus(const EventBus&) = delete;
    EventBus& operator=(const EventBus&) = delete;

    ListenerId addListener(EventType type, EventListener listener);
    void removeListener(ListenerId id);
    void fireEvent(std::shared_ptr<IEvent> event);
    // Appends to the queue that the next processEvents() drains; while a drain runs, events go to
    // the other queue, so a listener that queues again cannot keep one drain going forever.
    void queueEvent(std::shared_ptr<IEvent> event);
    void processEvents();

    bool hasListener(ListenerId id) const { return m_listenerEventType.count(id) > 0; }

private:
    EventBus() = default;

    int m_currentQueue = 0;
    bool m_draining = false;
    std::deque<std::shared_ptr<IEvent>> m_eventQueues[2];
    std::unordered_map<EventType, std::list<std::pair<ListenerId, EventListener>>> m_listener;
    std::unordered_map<ListenerId, EventType> m_listenerEventType;
    static ListenerId s_lastListenerId;
};

} // namespace zelk
