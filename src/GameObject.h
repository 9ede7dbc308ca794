#pragma once
// A named transform that owns an ordered list of components. Always owned through std::shared_ptr.

#include "IComponent.h"

#include <SFML/Graphics/Transformable.hpp>

#include <list>
#include <memory>
#include <string>

namespace zelk
{

class GameObject : public sf::Transformable
{
public:
    explicit GameObject(std::string id);
    virtual ~GameObject();

    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    const std::string& getId() const { return m_id; }

    // Appends a new component; the owning object is passed first. init() is not called here.
    template <typename T, typename... Args>
    std::shared_ptr<T> addComponent(Args&&... args)
    {
        auto component = std::make_shared<T>(std::forward<Args>(args)...);
        m_componentList.push_back(component);
        return component;
    }

    // The first component whose run-time type is T or derives from T; empty if none.
    template <typename T>
    std::shared_ptr<T> getComponent() const
    {
        for (const auto& component : m_componentList)
        {
            if (auto found = std::dynamic_pointer_cast<T>(component))
                return found;
        }
        return {};
    }

    // Initialises the components in list order and stops at the first failure.
    bool init();
    // init() for a creator that keeps the object whatever happens: a failure only adds the line
    // "Could not initialize go <id>" followed by where (" in TileMap " for map objects).
    void initReporting(const char* where);
    // Updates every component in list order.
    void update(float deltaTime);

    void setActive(bool active) { m_active = active; }
    bool isActive() const { return m_active; }
    void markForDelete() { m_markedForDelete = true; }
    bool isMarkedForDelete() const { return m_markedForDelete; }

    /// For testing.
    const std::list<std::shared_ptr<IComponent>>& getComponents() const { return m_componentList; }

private:
    std::string m_id;
    bool m_markedForDelete = false;
    bool m_active = true;
    std::list<std::shared_ptr<IComponent>> m_componentList;
};

} // namespace zelk
