#include "GameObject.h"

#include <SFML/System/Err.hpp>

namespace zelk
{

GameObject::GameObject(std::string id)
    : m_id(std::move(id))
{
}

GameObject::~GameObject()
{
    // Front to back: a rigid body (added before its colliders) goes first and clears their links to
    // it, so each collider that follows finds nothing left to reach.
    while (!m_componentList.empty())
        m_componentList.pop_front();
}

bool GameObject::init()
{
    for (const auto& component : m_componentList)
    {
        if (!component->init())
        {
            sf::err() << "Could not initialize component of object " << m_id << std::endl;
            return false;
        }
    }
    return true;
}

void GameObject::initReporting(const char* where)
{
    if (!init())
        sf::err() << "Could not initialize go " << m_id << where << std::endl;
}

void GameObject::update(float deltaTime)
{
    for (const auto& component : m_componentList)
        component->update(deltaTime);
}

} // namespace zelk
