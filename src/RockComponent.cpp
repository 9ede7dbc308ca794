#include "RockComponent.h"

namespace zelk
{

RockComponent::RockComponent(GameObject& gameObject, RigidBodyComponent& rigidBody)
    : ItemComponent(gameObject, rigidBody)
{
}

RockComponent::~RockComponent() = default;

} // namespace zelk
