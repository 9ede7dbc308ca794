// The registry of a match's game objects: replacement by id, lookups, the update pass with its
// deferred removal, subscriptions to GameObjectCreateEvent.

#include "EventBus.h"
#include "GameObject.h"
#include "GameObjectCreateEvent.h"
#include "GameObjectManager.h"
#include "IComponent.h"
#include "TestSupport.h"

#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

using zelk::GameObject;
using zelk::GameObjectManager;

// Counts its updates and runs an optional action on each one.
class CountingComponent : public zelk::IComponent
{
public:
    explicit CountingComponent(GameObject& gameObject, std::function<void()> onUpdate = {})
        : IComponent(gameObject)
        , m_onUpdate(std::move(onUpdate))
    {
    }
    bool init() override { return true; }
    void update(float deltaTime) override
    {
        ++m_updates;
        m_lastDeltaTime = deltaTime;
        if (m_onUpdate)
            m_onUpdate();
    }

    int m_updates = 0;
    float m_lastDeltaTime = 0.f;

private:
    std::function<void()> m_onUpdate;
};

struct CountedObject
{
    std::shared_ptr<GameObject> object;
    std::shared_ptr<CountingComponent> counter;
};

CountedObject makeCounted(const std::string& id, std::function<void()> onUpdate = {})
{
    auto object = std::make_shared<GameObject>(id);
    auto counter = object->addComponent<CountingComponent>(*object, std::move(onUpdate));
    return {object, counter};
}

void announce(const std::shared_ptr<GameObject>& object)
{
    zelk::EventBus::getInstance().fireEvent(std::make_shared<zelk::GameObjectCreateEvent>(object));
}

class GameObjectManagerTest : public ::testing::Test
{
protected:
    GameObjectManager manager;
};

} // namespace

TEST_F(GameObjectManagerTest, ASecondObjectUnderTheSameIdReplacesTheFirst)
{
    auto first = std::make_shared<GameObject>("Player0");
    auto second = std::make_shared<GameObject>("Player0");
    std::weak_ptr<GameObject> firstWatch = first;

    zelk::test::StreamCapture err(sf::err());
    manager.addGameObject(first);
    manager.addGameObject(second);
    first.reset();

    EXPECT_EQ(manager.getGameObject("Player0"), second);
    EXPECT_EQ(manager.getGameObjects().size(), 1u);
    EXPECT_TRUE(firstWatch.expired());
    EXPECT_EQ(err.text(), "");
}

TEST_F(GameObjectManagerTest, LookingUpAnUnknownIdReportsOneLineAndYieldsNothing)
{
    manager.addGameObject(std::make_shared<GameObject>("Player0"));

    zelk::test::StreamCapture err(sf::err());
    EXPECT_EQ(manager.getGameObject("Player1"), nullptr);
    EXPECT_EQ(err.text(), "src/GameObjectManager Line: 72 Could not find gameobject with m_id Player1\n");
}

TEST_F(GameObjectManagerTest, UpdatePassUpdatesActiveObjectsWithTheFrameTimeAndKeepsInactiveOnesFindable)
{
    auto a = makeCounted("a");
    auto parked = makeCounted("Rock12");
    manager.addGameObject(a.object);
    manager.addGameObject(parked.object);
    parked.object->setActive(false);

    manager.update(0.25f);
    manager.update(0.5f);
    EXPECT_EQ(a.counter->m_updates, 2);
    EXPECT_FLOAT_EQ(a.counter->m_lastDeltaTime, 0.5f);
    EXPECT_EQ(parked.counter->m_updates, 0);
    EXPECT_EQ(manager.getGameObject("Rock12"), parked.object);

    parked.object->setActive(true);
    manager.update(0.1f);
    EXPECT_EQ(parked.counter->m_updates, 1);
    EXPECT_EQ(a.counter->m_updates, 3);
}

TEST_F(GameObjectManagerTest, AnObjectMarkedForDeleteIsRemovedWithoutBeingUpdated)
{
    auto doomed = makeCounted("Bomb3");
    std::weak_ptr<GameObject> watch = doomed.object;
    manager.addGameObject(doomed.object);
    manager.update(0.1f);
    ASSERT_EQ(doomed.counter->m_updates, 1);

    doomed.object->markForDelete();
    auto counter = doomed.counter;
    doomed = {};
    manager.update(0.1f);

    EXPECT_EQ(counter->m_updates, 1);
    EXPECT_TRUE(manager.getGameObjects().empty());
    counter.reset();
    EXPECT_TRUE(watch.expired());
}

TEST_F(GameObjectManagerTest, RemovingAnObjectThatIsNotRegisteredChangesNothing)
{
    auto kept = std::make_shared<GameObject>("kept");
    manager.addGameObject(kept);

    manager.removeGameObject(std::make_shared<GameObject>("stranger"));
    manager.removeGameObject(nullptr);
    EXPECT_EQ(manager.getGameObjects().size(), 1u);

    manager.removeGameObject(kept);
    EXPECT_TRUE(manager.getGameObjects().empty());
}

TEST_F(GameObjectManagerTest, CreateEventsAddObjectsOnlyBetweenInitAndShutdown)
{
    zelk::test::StreamCapture err(sf::err());
    announce(std::make_shared<GameObject>("beforeInit"));
    EXPECT_TRUE(manager.getGameObjects().empty());

    manager.init();
    auto announced = std::make_shared<GameObject>("TileMap");
    announce(announced);
    EXPECT_EQ(manager.getGameObject("TileMap"), announced);

    std::weak_ptr<GameObject> watch = announced;
    announced.reset();
    manager.shutdown();
    EXPECT_TRUE(manager.getGameObjects().empty());
    EXPECT_TRUE(watch.expired());

    announce(std::make_shared<GameObject>("afterShutdown"));
    EXPECT_TRUE(manager.getGameObjects().empty());
}

TEST_F(GameObjectManagerTest, AnEmptyObjectPointerIsRefusedWithAMessage)
{
    manager.init();
    zelk::test::StreamCapture err(sf::err());
    manager.addGameObject(nullptr);
    announce(nullptr);
    EXPECT_TRUE(manager.getGameObjects().empty());
    EXPECT_NE(err.text().find("empty game object pointer"), std::string::npos);
}

TEST_F(GameObjectManagerTest, ObjectsCreatedDuringTheUpdatePassJoinTheNextPass)
{
    manager.init();
    std::vector<CountedObject> spawned;
    bool spawnedOnce = false;
    // Enough new entries to make the registry grow while the pass is walking it.
    auto spawner = makeCounted("Spawner", [&] {
        if (spawnedOnce)
            return;
        spawnedOnce = true;
        for (int i = 0; i < 64; ++i)
        {
            spawned.push_back(makeCounted("Item" + std::to_string(i)));
            announce(spawned.back().object);
        }
    });
    manager.addGameObject(spawner.object);

    manager.update(0.1f);
    EXPECT_EQ(manager.getGameObjects().size(), 65u);
    for (const auto& item : spawned)
        EXPECT_EQ(item.counter->m_updates, 0);

    manager.update(0.1f);
    for (const auto& item : spawned)
        EXPECT_EQ(item.counter->m_updates, 1);
}

TEST_F(GameObjectManagerTest, AnObjectRemovedDuringTheUpdatePassIsNotUpdatedAfterwards)
{
    std::vector<CountedObject> objects;
    // Whichever object the pass visits first removes all of them.
    for (int i = 0; i < 8; ++i)
    {
        auto object = std::make_shared<GameObject>("o" + std::to_string(i));
        auto counter = object->addComponent<CountingComponent>(*object, [this, &objects] {
            for (const auto& other : objects)
                manager.removeGameObject(other.object);
        });
        objects.push_back({object, counter});
        manager.addGameObject(object);
    }

    manager.update(0.1f);
    int updated = 0;
    for (const auto& entry : objects)
        updated += entry.counter->m_updates;
    EXPECT_EQ(updated, 1);
    EXPECT_TRUE(manager.getGameObjects().empty());
}

TEST_F(GameObjectManagerTest, AManagerDestroyedWithoutShutdownLeavesNoListenerBehind)
{
    zelk::test::StreamCapture err(sf::err());
    {
        GameObjectManager local;
        local.init();
    }
    EXPECT_NE(err.text().find("Removed m_listener with given m_id."), std::string::npos);
    // Would call into the destroyed manager if its subscription had survived it.
    announce(std::make_shared<GameObject>("orphan"));
}
