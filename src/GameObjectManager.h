#pragma once
// Registry of a match's live game objects, keyed by id. Owns them, runs the per-frame update pass
// and removes the objects marked for delete at the end of that pass.
//
// Objects arrive through addGameObject() or a GameObjectCreateEvent on the bus (after init()).
// Components may add, replace or remove objects while the update pass runs: the pass walks a
// snapshot, so the registry itself is never modified under its own feet.

#include "Subscription.h"

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
    // Walks a snapshot of the registry, so the pass never modifies the list it is walking.
    void runUpdatePass(float deltaTime, std::vector<GameObject*>& snapshot, std::vector<GameObject*>& toRemove);
    bool isRegistered(const GameObject& gameObject) const;
    void removeRegistered(const GameObject& gameObject);
    // An object that leaves the registry while a pass runs lives on until the pass has ended, so
    // the pass's plain pointers never dangle (and no new object can take its address meanwhile).
    void keepUntilThePassEnds(std::shared_ptr<GameObject> departed);
    void releaseDeparted();

    GameObjectMap m_gameObjects;
    Subscription m_createSubscription;

    // The registered objects once more, in one contiguous list. The pass runs every frame over a
    // few hundred objects, most of them parked items: walking the map's scattered nodes and
    // touching every object's reference count would cost a cache miss each, every frame.
    std::vector<GameObject*> m_objects;
    // The pass's lists keep their capacity from frame to frame.
    std::vector<GameObject*> m_snapshot;
    std::vector<GameObject*> m_toRemove;
    std::vector<std::shared_ptr<GameObject>> m_departed;
    // Counts additions and removals, so the pass only looks an object up when something changed.
    unsigned long m_changeCount = 0;
    int m_passDepth = 0;
};

} // namespace zelk
