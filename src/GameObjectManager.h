#pragma once
// Registry of a match's live game objects, keyed by id. Owns them, runs the per-frame update pass
// and removes the objects marked for delete at the end of that pass.
//
// Objects arrive through addGameObject() or a GameObjectCreateEvent on the bus (after init()).
// Contract: the match adds its objects while it is set up and nothing but the pass itself removes
// them. Should a component add or remove objects during the pass all the same, an added object
// joins the next pass and a removed one is not visited again; it stays alive until the pass ends.
// A pass must not be started from inside a pass: such a call does nothing.

#include "Subscription.h"

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
    // Releases every object and cancels the subscription.
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
    void visitObjects(float deltaTime, std::vector<GameObject*>& toRemove);
    bool isRegistered(const GameObject& gameObject) const;
    void removeRegistered(const GameObject& gameObject);
    void unlist(const GameObject* gameObject);
    void keepUntilThePassEnds(std::shared_ptr<GameObject> departed);
    void releaseDeparted();

    GameObjectMap m_gameObjects;
    Subscription m_createSubscription;

    // The registered objects once more, in one contiguous list, which the pass walks. The pass runs
    // every frame over a few hundred objects, most of them parked items; walking the map's
    // scattered nodes instead costs several times as much (see docs/PERFORMANCE.md). An object
    // removed during the pass leaves a null entry until the pass ends, so positions do not shift.
    std::vector<GameObject*> m_objects;
    // Objects that left the registry during the pass, kept alive until it ends: the object being
    // updated may be among them.
    std::vector<std::shared_ptr<GameObject>> m_departed;
    bool m_inPass = false;
};

} // namespace zelk
