#include "EventBus.h"

#include <SFML/System/Err.hpp>

#include <vector>

namespace zelk
{

ListenerId EventBus::s_lastListenerId = 0;

EventBus& EventBus::getInstance()
{
    static EventBus instance;
    return instance;
}

ListenerId EventBus::addListener(EventType type, EventListener listener)
{
    const ListenerId id = ++s_lastListenerId;
    m_listener[type].emplace_back(id, std::move(listener));
    m_listenerEventType[id] = type;
    return id;
}

void EventBus::removeListener(ListenerId id)
{
    const auto recorded = m_listenerEventType.find(id);
    if (recorded == m_listenerEventType.end())
        return;
    const EventType type = recorded->second;

    const auto listeners = m_listener.find(type);
    if (listeners == m_listener.end())
    {
        sf::err() << "src/EventBus Line: 36 Possible error: did not find event type in m_listener list." << std::endl;
        return;
    }

    auto& list = listeners->second;
    for (auto entry = list.begin(); entry != list.end(); ++entry)
    {
        if (entry->first == id)
        {
            list.erase(entry);
            m_listenerEventType.erase(recorded);
            sf::err() << "Removed m_listener with given m_id. " << id << std::endl;
            return;
        }
    }
    sf::err() << "Possible error: did not find m_listener with this m_id for this event. " << id << " " << type
              << std::endl;
}

void EventBus::fireEvent(std::shared_ptr<IEvent> event)
{
    if (!event)
        return;
    const auto listeners = m_listener.find(event->getEventType());
    if (listeners == m_listener.end())
        return;

    // Dispatch over a snapshot: listeners may subscribe or unsubscribe while it runs. One removed
    // during this dispatch is skipped; its callable stays alive in the snapshot until we are done.
    const std::vector<std::pair<ListenerId, EventListener>> snapshot(listeners->second.begin(),
                                                                     listeners->second.end());
    for (const auto& [id, listener] : snapshot)
    {
        if (hasListener(id))
            listener(event);
    }
}

void EventBus::queueEvent(std::shared_ptr<IEvent> event)
{
    const int queue = m_draining ? (m_currentQueue + 1) % 2 : m_currentQueue;
    m_eventQueues[queue].push_back(std::move(event));
}

void EventBus::processEvents()
{
    const int queue = m_currentQueue;
    m_draining = true;
    while (!m_eventQueues[queue].empty())
    {
        std::shared_ptr<IEvent> event = m_eventQueues[queue].front();
        m_eventQueues[queue].pop_front();
        fireEvent(event);
    }
    m_draining = false;
    m_currentQueue = (queue + 1) % 2;
}

} // namespace zelk
