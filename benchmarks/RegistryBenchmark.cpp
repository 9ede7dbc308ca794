// The bookkeeping of the match's frame on its own, without window or map: the game object
// manager's update pass over a match's population, and the physics manager's deferred body
// commands. MapWalkUpdatePass walks the registry's hash map directly, as a pass without the
// manager's contiguous object list would, to show what that list is worth.

#include "GameObject.h"
#include "GameObjectManager.h"
#include "IComponent.h"
#include "PhysicsManager.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace zelk;

namespace
{

// The arena's population: about 90 objects in play (map objects, players, items in flight) and
// the rest of the 240 pooled items parked.
constexpr int OBJECTS_IN_PLAY = 90;
constexpr int PARKED_ITEMS = 210;
constexpr float FRAME_TIME = 1.f / 280.f;

class TickComponent : public IComponent
{
public:
    using IComponent::IComponent;
    bool init() override { return true; }
    void update(float deltaTime) override { m_time += deltaTime; }

private:
    float m_time = 0.f;
};

// Objects with three components each, built one after another like the pool builds its items, so
// the objects and map nodes lie in memory as scattered as in a match.
std::vector<std::shared_ptr<GameObject>> makePopulation()
{
    std::vector<std::shared_ptr<GameObject>> objects;
    for (int i = 0; i < OBJECTS_IN_PLAY + PARKED_ITEMS; ++i)
    {
        auto object = std::make_shared<GameObject>("Object_" + std::to_string(i));
        for (int component = 0; component < 3; ++component)
            object->addComponent<TickComponent>(*object);
        object->setActive(i < OBJECTS_IN_PLAY);
        objects.push_back(object);
    }
    return objects;
}

void UpdatePass(benchmark::State& state)
{
    GameObjectManager manager;
    for (const auto& object : makePopulation())
        manager.addGameObject(object);
    for (auto _ : state)
        manager.update(FRAME_TIME);
    state.counters["objects"] = static_cast<double>(manager.getGameObjects().size());
}

// The pass as a plain walk over the registry's map, for comparison.
void MapWalkUpdatePass(benchmark::State& state)
{
    GameObjectManager manager;
    for (const auto& object : makePopulation())
        manager.addGameObject(object);
    std::vector<std::shared_ptr<GameObject>> toRemove;
    for (auto _ : state)
    {
        for (const auto& [id, object] : manager.getGameObjects())
        {
            if (object->isMarkedForDelete())
                toRemove.push_back(object);
            else if (object->isActive())
                object->update(FRAME_TIME);
        }
        for (const auto& object : toRemove)
            manager.removeGameObject(object);
        toRemove.clear();
    }
    state.counters["objects"] = static_cast<double>(manager.getGameObjects().size());
}

// A carried item and a spawned one: the commands of a busy frame, run after a step of an empty world.
void DeferredCommands(benchmark::State& state)
{
    PhysicsManager physics;
    physics.init();
    b2BodyDef definition;
    definition.type = b2_dynamicBody;
    b2Body* carried = PhysicsManager::getWorld().CreateBody(&definition);
    b2Body* spawned = PhysicsManager::getWorld().CreateBody(&definition);
    for (auto _ : state)
    {
        PhysicsManager::deferSetTransform(carried, b2Vec2(1.f, 2.f), 0.f);
        PhysicsManager::deferSetTransform(spawned, b2Vec2(3.f, 4.f), 0.f);
        PhysicsManager::deferSetEnabled(spawned, true);
        physics.update(0.f);
    }
    PhysicsManager::getWorld().DestroyBody(carried);
    PhysicsManager::getWorld().DestroyBody(spawned);
    physics.shutdown();
}

} // namespace

BENCHMARK(UpdatePass)->Unit(benchmark::kMicrosecond);
BENCHMARK(MapWalkUpdatePass)->Unit(benchmark::kMicrosecond);
BENCHMARK(DeferredCommands)->Unit(benchmark::kNanosecond);
