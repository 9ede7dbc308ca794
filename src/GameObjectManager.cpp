#include "GameObjectManager.h"

#include "GameObject.h"
#include "GameObjectCreateEvent.h"

#include <SFML/System/Err.hpp>

#include <algorithm>
#include <utility>

namespace zelk
{

GameObjectManager::~GameObjectManager()
{
    if (m_createSubscription.isActive())
        shutdown();
}

void GameObjectManager::init()
{
    m_createSubscription = Subscription(GameObjectCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
        addGameObject(std::static_pointer_cast<GameObjectCreateEvent>(event)->getData());
    });
}

void GameObjectManager::shutdown()
{
    // Objects are released only after the registry is empty: a component destructor that looks
    // back into the manager must find a consistent (empty) map, not one half-way through clear().
    GameObjectMap released = std::move(m_gameObjects);
    m_gameObjects.clear();
    m_objects.clear();
    ++m_changeCount;
    for (auto& entry : released)
        keepUntilThePassEnds(std::move(entry.second));
    released.clear();

    m_createSubscription.reset();
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
    const auto listed = replaced ? std::find(m_objects.begin(), m_objects.end(), replaced.get()) : m_objects.end();
    if (listed != m_objects.end())
        *listed = gameObject.get();
    else
        m_objects.push_back(gameObject.get());
    ++m_changeCount;
    if (replaced != gameObject)
        keepUntilThePassEnds(std::move(replaced));
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
    if (gameObject)
        removeRegistered(*gameObject);
}

void GameObjectManager::removeRegistered(const GameObject& gameObject)
{
    const auto found = m_gameObjects.find(gameObject.getId());
    if (found == m_gameObjects.end())
        return;
    // The object dies (if this was its last owner) after the erase has finished.
    std::shared_ptr<GameObject> removed = std::move(found->second);
    m_gameObjects.erase(found);
    const auto listed = std::find(m_objects.begin(), m_objects.end(), removed.get());
    if (listed != m_objects.end())
        m_objects.erase(listed);
    ++m_changeCount;
    keepUntilThePassEnds(std::move(removed));
}

void GameObjectManager::keepUntilThePassEnds(std::shared_ptr<GameObject> departed)
{
    if (m_passDepth > 0 && departed)
        m_departed.push_back(std::move(departed));
}

void GameObjectManager::update(float deltaTime)
{
    ++m_passDepth;
    if (m_passDepth > 1)
    {
        // A pass started from inside a pass must not reuse the lists the outer one is walking.
        std::vector<GameObject*> snapshot;
        std::vector<GameObject*> toRemove;
        runUpdatePass(deltaTime, snapshot, toRemove);
    }
    else
    {
        runUpdatePass(deltaTime, m_snapshot, m_toRemove);
    }
    --m_passDepth;
    if (m_passDepth == 0)
        releaseDeparted();
}

void GameObjectManager::runUpdatePass(float deltaTime, std::vector<GameObject*>& snapshot,
                                      std::vector<GameObject*>& toRemove)
{
    // Every listed object stays alive until the pass ends: the registry owns it, or it departed
    // during the pass and waits in m_departed.
    snapshot.assign(m_objects.begin(), m_objects.end());
    toRemove.clear();
    const unsigned long changeCountAtSnapshot = m_changeCount;

    for (GameObject* gameObject : snapshot)
    {
        // Something earlier in this pass may have taken the object out of the registry; only
        // then is it worth looking up.
        if (m_changeCount != changeCountAtSnapshot && !isRegistered(*gameObject))
            continue;
        if (gameObject->isMarkedForDelete())
            toRemove.push_back(gameObject);
        else if (gameObject->isActive())
            gameObject->update(deltaTime);
    }
    for (GameObject* gameObject : toRemove)
    {
        if (isRegistered(*gameObject))
            removeRegistered(*gameObject);
    }
    toRemove.clear();
    snapshot.clear();
}

void GameObjectManager::releaseDeparted()
{
    if (m_departed.empty())
        return;
    // Destructors may reach back into the manager: they find the list already empty.
    std::vector<std::shared_ptr<GameObject>> departed;
    departed.swap(m_departed);
    departed.clear();
    if (m_departed.empty())
        m_departed.swap(departed);
}

bool GameObjectManager::isRegistered(const GameObject& gameObject) const
{
    const auto found = m_gameObjects.find(gameObject.getId());
    return found != m_gameObjects.end() && found->second.get() == &gameObject;
}

} // namespace zelk
