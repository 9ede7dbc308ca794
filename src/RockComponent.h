#pragma once
// A rock is a plain item: thrown, it is a solid body that knocks the player it hits back.

#include "ItemComponent.h"

namespace zelk
{

class RockComponent : public ItemComponent
{
public:
    RockComponent(GameObject& gameObject, RigidBodyComponent& rigidBody);
    ~RockComponent() override;
};

} // namespace zelk
