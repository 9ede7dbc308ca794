#include "IComponent.h"

namespace zelk
{

IComponent::IComponent(GameObject& gameObject)
    : m_gameObject(gameObject)
{
}

IComponent::~IComponent() = default;

} // namespace zelk
