#pragma once
// A player's side of items: walking over a free item picks it up, the item is carried in front of
// the player along the right stick's aim, holding the controller's "fire" charges a throw and
// releasing "fire" (button or key) throws the item with the charged speed.
//
// Contract: init() needs the player's ColliderComponent (pick-up is its contact callback, under
// ColliderComponent's rule); carrying moves the item through deferred body commands. The carried
// item is not owned: the game object manager owns it.

#include "IComponent.h"
#include "SoundEffect.h"

#include <SFML/System/Vector2.hpp>

#include <memory>

namespace zelk
{

class ColliderComponent;
class GameObject;
class ItemComponent;

class ItemInteractComponent : public IComponent
{
public:
    static constexpr float CARRY_DISTANCE = 48.f;
    // How far the item is pulled back towards the player per px/s of charge.
    static constexpr float CHARGE_PULL_BACK = 0.02f;

    ItemInteractComponent(GameObject& gameObject, int playerIndex);
    ~ItemInteractComponent() override;

    bool init() override;
    void update(float deltaTime) override;

    // Parks the carried item at once; used when the player falls and on restart.
    void dropHeldItem();
    // Contact-begin callback on the player's collider.
    void pickUp(ColliderComponent& itemCollider);

    /// For testing.
    GameObject* getHeldItem() const { return m_heldItem; }
    /// For testing.
    float getThrowCharge() const { return m_throwCharge; }
    /// For testing.
    int getPlayerIndex() const { return m_playerIndex; }

private:
    ItemComponent* heldItemComponent() const;
    bool hasJoystick() const;
    void readAim();
    void carryHeldItem();
    void chargeThrow(float deltaTime);
    bool isThrowReleased() const;
    void throwHeldItem();
    void forgetHeldItem();

    GameObject* m_heldItem = nullptr;
    int m_playerIndex;
    sf::Vector2f m_aim;
    float m_aimDeadZone = 5.f;
    sf::Vector2f m_aimDirection;
    SoundEffect m_throwSound;
    float m_throwCharge = 0.f;
    float m_chargeRate = 1000.f;
    float m_maxCharge = 500.f;
};

} // namespace zelk
