#pragma once
// Registry of a match's live game objects, keyed by id. Owns them, runs the per-frame update pass
// and removes the objects marked for delete at the end of that pass.
//
// Objects arrive through addGameObject() or a GameObjectCreateEvent on the bus (after init()).
// Components may add, replace or remove objects while the update pass runs: the pass walks a
// snapshot, so the registry itself is never modified under its own feet.

#include "EventBus.h"

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zelk
{

class GameObject;

class GameObjectManager
{
public:
    using GameObjectMap = std::unordered_map<std::string, std::shared_ptr<GameObject>>;

    GameObjectManager() = default;
    // A manager that goes away without shutdown() must not leave a listener pointing at it.
    ~GameObjectManager();

    GameObjectManager(const GameObjectManager&) = delete;
    GameObjectManager& operator=(const GameObjectManager&) = delete;

    // Subscribes to GameObjectCreateEvent.
    void init();
    // Releases every object and cancels the subscriptions.
    void shutdown();

    // Files the object under its id, replacing an object filed there before.
    void addGameObject(const std::shared_ptr<GameObject>& gameObject);
    // The object filed under id, or an empty pointer after one line on sf::err().
    std::shared_ptr<GameObject> getGameObject(const std::string& id) const;
    void removeGameObject(const std::shared_ptr<GameObject>& gameObject);

    // Updates every active object that is not marked for delete, then removes the marked ones.
    void update(float deltaTime);

    const GameObjectMap& getGameObjects() const { return m_gameObjects; }

private:
    // Walks a snapshot of the registry, so the pass never modifies the map it is walking.
    void runUpdatePass(float deltaTime, std::vector<std::shared_ptr<GameObject>>& snapshot,
                       std::vector<std::shared_ptr<GameObject>>& toRemove);
    bool isRegistered(const std::shared_ptr<GameObject>& gameObject) const;

    GameObjectMap m_gameObjects;
    std::list<ListenerId> m_listenerIds;

    // The update pass runs every frame: its lists keep their capacity instead of being rebuilt.
    std::vector<std::shared_ptr<GameObject>> m_snapshot;
    std::vector<std::shared_ptr<GameObject>> m_toRemove;
    // Counts additions and removals, so the pass only looks an object up when something changed.
    unsigned long m_changeCount = 0;
    bool m_updating = false;
};

} // namespace zelk
