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
    unlist(removed.get());
    keepUntilThePassEnds(std::move(removed));
}

void GameObjectManager::unlist(const GameObject* gameObject)
{
    const auto listed = std::find(m_objects.begin(), m_objects.end(), gameObject);
    if (listed == m_objects.end())
        return;
    if (m_inPass)
        *listed = nullptr;
    else
        m_objects.erase(listed);
}

void GameObjectManager::keepUntilThePassEnds(std::shared_ptr<GameObject> departed)
{
    if (m_inPass && departed)
        m_departed.push_back(std::move(departed));
}

void GameObjectManager::update(float deltaTime)
{
    if (m_inPass)
        return;
    // Stays empty, and so costs no allocation, in the frames where nothing is marked.
    std::vector<GameObject*> toRemove;
    m_inPass = true;
    visitObjects(deltaTime, toRemove);
    for (GameObject* gameObject : toRemove)
    {
        if (isRegistered(*gameObject))
            removeRegistered(*gameObject);
    }
    m_objects.erase(std::remove(m_objects.begin(), m_objects.end(), nullptr), m_objects.end());
    m_inPass = false;
    releaseDeparted();
}

void GameObjectManager::visitObjects(float deltaTime, std::vector<GameObject*>& toRemove)
{
    // Objects added during the pass are appended behind the ones it visits; the list can only
    // shrink under the pass through shutdown().
    const std::size_t visited = m_objects.size();
    for (std::size_t index = 0; index < visited && index < m_objects.size(); ++index)
    {
        GameObject* gameObject = m_objects[index];
        if (gameObject == nullptr)
            continue;
        if (gameObject->isMarkedForDelete())
            toRemove.push_back(gameObject);
        else if (gameObject->isActive())
            gameObject->update(deltaTime);
    }
}

void GameObjectManager::releaseDeparted()
{
    // Destructors may reach back into the manager: they find the list already empty.
    std::vector<std::shared_ptr<GameObject>> departed;
    departed.swap(m_departed);
}

bool GameObjectManager::isRegistered(const GameObject& gameObject) const
{
    const auto found = m_gameObjects.find(gameObject.getId());
    return found != m_gameObjects.end() && found->second.get() == &gameObject;
}

} // namespace zelk
