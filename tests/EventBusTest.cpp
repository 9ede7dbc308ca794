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

// Every case subscribes through its own Subscriptions and logs into one list.
class EventBusTest : public ::testing::Test
{
protected:
    std::vector<std::string> log;
    EventBus& bus = EventBus::getInstance();
    Subscriptions subs; // declared last: gone before what the listeners captured
};

} // namespace

TEST_F(EventBusTest, IssuesIdsFromOneUpwardsAcrossEventTypes)
{
    const ListenerId first = subs.add(PingEvent::Type, logAs(log, "a"));
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(subs.add(PongEvent::Type, logAs(log, "b")), 2u);

    zelk::test::StreamCapture err(sf::err());
    bus.removeListener(first);
    // A removed id is never handed out again.
    EXPECT_EQ(subs.add(PingEvent::Type, logAs(log, "c")), 3u);
}

TEST_F(EventBusTest, CallsOnlyListenersOfTheEventTypeInSubscriptionOrderWithTheFiredEvent)
{
    const auto event = ping();
    const auto logAndCheck = [this, &event](std::string name) {
        return [this, &event, name](std::shared_ptr<IEvent> received) {
            EXPECT_EQ(received, event);
            log.push_back(name);
        };
    };
    subs.add(PingEvent::Type, logAndCheck("first"));
    subs.add(PongEvent::Type, logAs(log, "other type"));
    subs.add(PingEvent::Type, logAndCheck("second"));

    bus.fireEvent(event);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));

    // An event type without listeners, or no event at all, reaches nobody and says nothing.
    zelk::test::StreamCapture err(sf::err());
    bus.fireEvent(std::make_shared<TestEvent<0x11110003>>());
    bus.fireEvent(nullptr);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(err.text(), "");
}

TEST_F(EventBusTest, OnlyTheFirstRemovalOfAnIssuedIdIsReported)
{
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

TEST_F(EventBusTest, RemovingAListenerDuringDispatch)
{
    zelk::test::StreamCapture err(sf::err());
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

TEST_F(EventBusTest, AListenerRemovingItselfFinishesItsCallAndIsNotCalledAgain)
{
    zelk::test::StreamCapture err(sf::err());
    ListenerId self = 0;
    // The captured string lives in the callable: using it after the removal must stay valid.
    const std::string name = "a name long enough to live on the heap, not in the small buffer";
    self = subs.add(PingEvent::Type, [this, &self, name](std::shared_ptr<IEvent>) {
        bus.removeListener(self);
        log.push_back(name);
    });
    subs.add(PingEvent::Type, logAs(log, "next"));

    bus.fireEvent(ping());
    bus.fireEvent(ping());
    EXPECT_EQ(log, (std::vector<std::string>{name, "next", "next"}));
}

TEST_F(EventBusTest, AListenerAddedDuringDispatchWaitsForTheNextEvent)
{
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

TEST_F(EventBusTest, AnEventFiredFromAListenerIsDispatchedAtOnceNested)
{
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

TEST_F(EventBusTest, ANestedDispatchMayRemoveAListenerOfTheOuterOne)
{
    zelk::test::StreamCapture err(sf::err());
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

TEST_F(EventBusTest, ProcessEventsDeliversQueuedEventsInOrderOnce)
{
    subs.add(PingEvent::Type, logAs(log, "ping"));
    subs.add(PongEvent::Type, logAs(log, "pong"));

    bus.queueEvent(ping());
    bus.queueEvent(pong());
    bus.queueEvent(ping());
    EXPECT_TRUE(log.empty());

    bus.processEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"ping", "pong", "ping"}));

    log.clear();
    bus.processEvents();
    EXPECT_TRUE(log.empty());
}

TEST_F(EventBusTest, AnEventQueuedWhileTheQueueDrainsWaitsForTheNextDrain)
{
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
