// The process-wide event bus: id issue, synchronous ordered dispatch, removal while dispatching,
// nested firing and the deferred queue.

#include "EventBus.h"
#include "TestSupport.h"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using zelk::EventBus;
using zelk::EventType;
using zelk::IEvent;
using zelk::ListenerId;

// Events with type ids of their own, so these tests never wake a game manager's listener.
template <EventType TypeId>
class TestEvent : public IEvent
{
public:
    static constexpr EventType Type = TypeId;
    EventType getEventType() const override { return Type; }
};

using PingEvent = TestEvent<0x11110001>;
using PongEvent = TestEvent<0x11110002>;

std::shared_ptr<IEvent> ping()
{
    return std::make_shared<PingEvent>();
}

std::shared_ptr<IEvent> pong()
{
    return std::make_shared<PongEvent>();
}

// Cancels the subscriptions a test made, so that no listener outlives what it captured.
class Subscriptions
{
public:
    ~Subscriptions()
    {
        zelk::test::StreamCapture quiet(sf::err());
        for (const ListenerId id : m_ids)
            EventBus::getInstance().removeListener(id);
    }
    ListenerId add(EventType type, zelk::EventListener listener)
    {
        m_ids.push_back(EventBus::getInstance().addListener(type, std::move(listener)));
        return m_ids.back();
    }

private:
    std::vector<ListenerId> m_ids;
};

// A listener that appends its name to a log.
zelk::EventListener logAs(std::vector<std::string>& log, std::string name)
{
    return [&log, name](std::shared_ptr<IEvent>) { log.push_back(name); };
}

} // namespace

TEST(EventBusTest, IssuesIdsFromOneUpwardsAcrossEventTypes)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    const ListenerId first = subs.add(PingEvent::Type, logAs(log, "a"));
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(subs.add(PongEvent::Type, logAs(log, "b")), 2u);

    zelk::test::StreamCapture err(sf::err());
    bus.removeListener(first);
    // A removed id is never handed out again.
    EXPECT_EQ(subs.add(PingEvent::Type, logAs(log, "c")), 3u);
}

TEST(EventBusTest, CallsListenersOfTheEventTypeInSubscriptionOrderWithTheFiredEvent)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    const auto event = ping();
    std::vector<std::string> log;
    const auto logAndCheck = [&log, &event](std::string name) {
        return [&log, &event, name](std::shared_ptr<IEvent> received) {
            EXPECT_EQ(received, event);
            log.push_back(name);
        };
    };
    subs.add(PingEvent::Type, logAndCheck("first"));
    subs.add(PongEvent::Type, logAs(log, "other type"));
    subs.add(PingEvent::Type, logAndCheck("second"));

    bus.fireEvent(event);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));
}

TEST(EventBusTest, FiringWithoutListenersOrWithoutAnEventIsSilent)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    subs.add(PongEvent::Type, logAs(log, "pong"));

    zelk::test::StreamCapture err(sf::err());
    bus.fireEvent(ping());
    bus.fireEvent(nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(err.text(), "");
}

TEST(EventBusTest, OnlyTheFirstRemovalOfAnIssuedIdIsReported)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    const ListenerId id = subs.add(PingEvent::Type, logAs(log, "gone"));
    subs.add(PingEvent::Type, logAs(log, "stays"));

    zelk::test::StreamCapture err(sf::err());
    bus.removeListener(id);
    EXPECT_EQ(err.text(), "Removed m_listener with given m_id. " + std::to_string(id) + "\n");
    err.clear();
    bus.removeListener(id);
    bus.removeListener(0);
    bus.removeListener(4711);
    EXPECT_EQ(err.text(), "");

    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{"stays"}));
}

TEST(EventBusTest, RemovingAListenerDuringDispatch)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    zelk::test::StreamCapture err(sf::err());
    std::vector<std::string> log;
    ListenerId victim = 0;
    subs.add(PingEvent::Type, [&](std::shared_ptr<IEvent>) {
        log.push_back("remover");
        bus.removeListener(victim);
    });
    victim = subs.add(PingEvent::Type, logAs(log, "victim"));
    subs.add(PingEvent::Type, logAs(log, "after"));

    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{"remover", "after"}));
    EXPECT_FALSE(bus.hasListener(victim));
}

TEST(EventBusTest, AListenerRemovingItselfFinishesItsCallAndIsNotCalledAgain)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    zelk::test::StreamCapture err(sf::err());
    std::vector<std::string> log;
    ListenerId self = 0;
    // The captured string lives in the callable: using it after the removal must stay valid.
    const std::string name = "a name long enough to live on the heap, not in the small buffer";
    self = subs.add(PingEvent::Type, [&bus, &log, &self, name](std::shared_ptr<IEvent>) {
        bus.removeListener(self);
        log.push_back(name);
    });
    subs.add(PingEvent::Type, logAs(log, "next"));

    bus.fireEvent(ping());
    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{name, "next", "next"}));
}

TEST(EventBusTest, AListenerAddedDuringDispatchWaitsForTheNextEvent)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    bool added = false;
    subs.add(PingEvent::Type, [&](std::shared_ptr<IEvent>) {
        log.push_back("adder");
        if (!added)
        {
            added = true;
            // Enough new types to make the listener table grow while it is being dispatched from.
            for (EventType type = 0x22220000; type < 0x22220040; ++type)
                subs.add(type, logAs(log, "unrelated"));
            subs.add(PingEvent::Type, logAs(log, "late"));
        }
    });

    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{"adder"}));
    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{"adder", "adder", "late"}));
}

TEST(EventBusTest, AnEventFiredFromAListenerIsDispatchedAtOnceNested)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    subs.add(PingEvent::Type, [&](std::shared_ptr<IEvent>) {
        log.push_back("ping 1 begins");
        bus.fireEvent(pong());
        log.push_back("ping 1 ends");
    });
    subs.add(PingEvent::Type, logAs(log, "ping 2"));
    subs.add(PongEvent::Type, logAs(log, "pong"));

    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{"ping 1 begins", "pong", "ping 1 ends", "ping 2"}));
}

TEST(EventBusTest, ANestedDispatchMayRemoveAListenerOfTheOuterOne)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    zelk::test::StreamCapture err(sf::err());
    std::vector<std::string> log;
    ListenerId outerVictim = 0;
    subs.add(PingEvent::Type, [&](std::shared_ptr<IEvent>) { bus.fireEvent(pong()); });
    outerVictim = subs.add(PingEvent::Type, logAs(log, "outer victim"));
    subs.add(PongEvent::Type, [&](std::shared_ptr<IEvent>) {
        log.push_back("pong");
        bus.removeListener(outerVictim);
    });

    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{"pong"}));
}

TEST(EventBusTest, ProcessEventsOnEmptyQueuesOnlyFlipsTheQueueIndex)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    subs.add(PingEvent::Type, logAs(log, "ping"));

    const int start = bus.getCurrentQueue();
    EXPECT_EQ(start, 0);
    bus.processEvents();
    EXPECT_EQ(bus.getCurrentQueue(), 1 - start);
    bus.processEvents();
    EXPECT_EQ(bus.getCurrentQueue(), start);
    EXPECT_TRUE(log.empty());
}

TEST(EventBusTest, ProcessEventsDeliversQueuedEventsInOrderThenFlips)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    subs.add(PingEvent::Type, logAs(log, "ping"));
    subs.add(PongEvent::Type, logAs(log, "pong"));

    bus.queueEvent(ping());
    bus.queueEvent(pong());
    bus.queueEvent(ping());
    EXPECT_TRUE(log.empty());

    const int start = bus.getCurrentQueue();
    bus.processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"ping", "pong", "ping"}));
    EXPECT_EQ(bus.getCurrentQueue(), 1 - start);

    log.clear();
    bus.processEvents();
    EXPECT_TRUE(log.empty());
}

TEST(EventBusTest, AnEventQueuedWhileTheQueueDrainsWaitsForTheNextDrain)
{
    Subscriptions subs;
    auto& bus = EventBus::getInstance();
    std::vector<std::string> log;
    subs.add(PingEvent::Type, [&](std::shared_ptr<IEvent>) {
        log.push_back("ping");
        bus.queueEvent(pong());
    });
    subs.add(PongEvent::Type, [&](std::shared_ptr<IEvent>) {
        log.push_back("pong");
        bus.fireEvent(nullptr);
    });

    bus.queueEvent(ping());
    bus.processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"ping"}));
    bus.processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"ping", "pong"}));
    bus.processEvents();
    EXPECT_EQ(log.size(), 2u);
}
