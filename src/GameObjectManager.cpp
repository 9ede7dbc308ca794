#include "GameObjectManager.h"

#include "GameObject.h"
#include "GameObjectCreateEvent.h"

#include <SFML/System/Err.hpp>

#include <utility>

namespace zelk
{

GameObjectManager::~GameObjectManager()
{
    if (!m_listenerIds.empty())
        shutdown();
}

void GameObjectManager::init()
{
    m_listenerIds.push_back(
        EventBus::getInstance().addListener(GameObjectCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
            addGameObject(std::static_pointer_cast<GameObjectCreateEvent>(event)->getData());
        }));
}

void GameObjectManager::shutdown()
{
    // Objects are released only after the registry is empty: a component destructor that looks
    // back into the manager must find a consistent (empty) map, not one half-way through clear().
    GameObjectMap released = std::move(m_gameObjects);
    m_gameObjects.clear();
    ++m_changeCount;
    released.clear();

    auto& bus = EventBus::getInstance();
    for (const ListenerId id : m_listenerIds)
        bus.removeListener(id);
    m_listenerIds.clear();
}

void GameObjectManager::addGameObject(const std::shared_ptr<GameObject>& gameObject)
{
    if (!gameObject)
    {
        sf::err() << "GameObjectManager::addGameObject: ignored an empty game object pointer" << std::endl;
        return;
    }
    // Keep the replaced object alive until the map holds the new one.
    std::shared_ptr<GameObject> replaced = std::exchange(m_gameObjects[gameObject->getId()], gameObject);
    ++m_changeCount;
}

std::shared_ptr<GameObject> GameObjectManager::getGameObject(const std::string& id) const
{
    const auto found = m_gameObjects.find(id);
    if (found == m_gameObjects.end())
    {
        sf::err() << "src/GameObjectManager Line: 72 Could not find gameobject with m_id " << id << std::endl;
        return {};
    }
    return found->second;
}

void GameObjectManager::removeGameObject(const std::shared_ptr<GameObject>& gameObject)
{
    if (!gameObject)
        return;
    const auto found = m_gameObjects.find(gameObject->getId());
    if (found == m_gameObjects.end())
        return;
    // The object dies (if this was its last owner) after the erase has finished.
    const std::shared_ptr<GameObject> removed = std::move(found->second);
    m_gameObjects.erase(found);
    ++m_changeCount;
}

void GameObjectManager::update(float deltaTime)
{
    // A pass started from inside a pass must not reuse the lists the outer one is walking.
    if (m_updating)
    {
        std::vector<std::shared_ptr<GameObject>> snapshot;
        std::vector<std::shared_ptr<GameObject>> toRemove;
        runUpdatePass(deltaTime, snapshot, toRemove);
        return;
    }
    m_updating = true;
    runUpdatePass(deltaTime, m_snapshot, m_toRemove);
    m_updating = false;
}

void GameObjectManager::runUpdatePass(float deltaTime, std::vector<std::shared_ptr<GameObject>>& snapshot,
                                      std::vector<std::shared_ptr<GameObject>>& toRemove)
{
    snapshot.clear();
    snapshot.reserve(m_gameObjects.size());
    for (const auto& entry : m_gameObjects)
        snapshot.push_back(entry.second);
    const unsigned long changeCountAtSnapshot = m_changeCount;

    for (const auto& gameObject : snapshot)
    {
        // Something earlier in this pass may have taken the object out of the registry; only
        // then is it worth looking up.
        if (m_changeCount != changeCountAtSnapshot && !isRegistered(gameObject))
            continue;
        if (gameObject->isMarkedForDelete())
            toRemove.push_back(gameObject);
        else if (gameObject->isActive())
            gameObject->update(deltaTime);
    }
    for (const auto& gameObject : toRemove)
    {
        if (isRegistered(gameObject))
            removeGameObject(gameObject);
    }
    // The references go now (removed objects die here); the storage stays for the next frame.
    toRemove.clear();
    snapshot.clear();
}

bool GameObjectManager::isRegistered(const std::shared_ptr<GameObject>& gameObject) const
{
    const auto found = m_gameObjects.find(gameObject->getId());
    return found != m_gameObjects.end() && found->second == gameObject;
}

} // namespace zelk
