#pragma once
// Base of every component. A component belongs to exactly one game object and must not outlive it.
//
// Contract: the creator adds components in the order they must update; GameObject::init() then calls
// init() on each in that order (siblings may be looked up there). update() runs once per frame while
// the object is active and not marked for delete.

namespace zelk
{

class GameObject;

class IComponent
{
public:
    explicit IComponent(GameObject& gameObject);
    virtual ~IComponent();

    IComponent(const IComponent&) = delete;
    IComponent& operator=(const IComponent&) = delete;

    // One-time setup after construction; false means the component cannot work.
    virtual bool init() = 0;
    virtual void update(float deltaTime) = 0;

    GameObject& getGameObject() const { return m_gameObject; }

protected:
    GameObject& m_gameObject;
};

} // namespace zelk
