#include "ItemInteractComponent.h"

#include "AnimationKey.h"
#include "AnimationRenderComponent.h"
#include "AssetPaths.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameNames.h"
#include "GameObject.h"
#include "InputManager.h"
#include "ItemComponent.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

#include <SFML/System/Err.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>

namespace zelk
{

namespace
{

constexpr float THROW_SOUND_VOLUME = 50.f;
constexpr float THROW_SOUND_PITCH = 0.75f;
const sf::Vector2f STRAIGHT_UP(0.f, -1.f);

float length(sf::Vector2f vector)
{
    return std::sqrt(vector.x * vector.x + vector.y * vector.y);
}

float withoutDeadZone(float axis, float deadZone)
{
    return std::fabs(axis) < deadZone ? 0.f : axis;
}

} // namespace

ItemInteractComponent::ItemInteractComponent(GameObject& gameObject, int playerIndex)
    : IComponent(gameObject)
    , m_playerIndex(playerIndex)
{
}

ItemInteractComponent::~ItemInteractComponent() = default;

bool ItemInteractComponent::init()
{
    auto collider = m_gameObject.getComponent<ColliderComponent>();
    if (!collider)
    {
        sf::err() << "ItemInteractComponent: " << m_gameObject.getId() << " has no collider to pick items up with"
                  << std::endl;
        return false;
    }
    // The collider outlives no sibling's use of it: both belong to this object.
    collider->registerOnEnterWith(CollisionCategory::ITEM, [this](ColliderComponent& item) { pickUp(item); });

    if (!m_throwSound.load(AssetPath::THROW_SOUND, THROW_SOUND_VOLUME, THROW_SOUND_PITCH))
        std::cout << "Failed to load sound" << std::endl;
    return true;
}

void ItemInteractComponent::pickUp(ColliderComponent& itemCollider)
{
    // A contact callback (see ColliderComponent's rule): flags and velocities only.
    if (m_heldItem)
        return;
    GameObject& itemObject = itemCollider.getGameObject();
    auto item = itemObject.getComponent<ItemComponent>();
    if (!item || item->isThrown() || item->isHeld())
        return;
    // An item parked during this frame keeps its body until the step ends; it is out of play already.
    if (!itemObject.isActive())
        return;

    m_heldItem = &itemObject;
    if (b2Body* body = item->getRigidBody().getBody(); body && body->GetType() != b2_staticBody)
        body->SetLinearVelocity(b2Vec2(0.f, 0.f));
    item->setHeld(true);
    item->setActiveTime(0.f);
    m_aimDirection = STRAIGHT_UP;
}

void ItemInteractComponent::update(float deltaTime)
{
    if (!m_heldItem)
        return;
    // Something else parked the item (a restart, say): the hands are empty again.
    if (!m_heldItem->isActive() || !heldItemComponent())
    {
        forgetHeldItem();
        return;
    }
    readAim();
    carryHeldItem();
    chargeThrow(deltaTime);
    if (isThrowReleased())
        throwHeldItem();
}

void ItemInteractComponent::dropHeldItem()
{
    if (!m_heldItem)
        return;
    if (ItemComponent* item = heldItemComponent())
    {
        item->setHeld(false);
        item->deactivate();
    }
    m_heldItem = nullptr;
    // A charge built for the dropped item must not carry over to the next one.
    m_throwCharge = 0.f;
}

ItemComponent* ItemInteractComponent::heldItemComponent() const
{
    return m_heldItem ? m_heldItem->getComponent<ItemComponent>().get() : nullptr;
}

bool ItemInteractComponent::hasJoystick() const
{
    return m_playerIndex >= 0 && m_playerIndex < static_cast<int>(sf::Joystick::Count);
}

void ItemInteractComponent::readAim()
{
    if (!hasJoystick())
        return;
    const InputManager& input = InputManager::getInstance();
    const auto joystick = static_cast<unsigned>(m_playerIndex);
    // Sony's controllers report their right stick on the Z and R axes.
    const bool aimsWithZAndR = input.getVendorId(joystick) == InputManager::SONY_VENDOR_ID;
    const float x = input.getAxisPosition(joystick, aimsWithZAndR ? sf::Joystick::Z : sf::Joystick::U);
    const float y = input.getAxisPosition(joystick, aimsWithZAndR ? sf::Joystick::R : sf::Joystick::V);
    m_aim = sf::Vector2f(withoutDeadZone(x, m_aimDeadZone), withoutDeadZone(y, m_aimDeadZone));
    const float aimLength = length(m_aim);
    if (aimLength > 0.f && std::isfinite(aimLength))
        m_aimDirection = m_aim / aimLength;
}

void ItemInteractComponent::carryHeldItem()
{
    b2Body* body = heldItemComponent()->getRigidBody().getBody();
    if (!body)
        return;
    const float aimLength = length(m_aimDirection);
    const sf::Vector2f ahead = aimLength > 0.f ? m_aimDirection / aimLength : STRAIGHT_UP;
    const sf::Vector2f target =
        m_gameObject.getPosition() + ahead * CARRY_DISTANCE - ahead * (m_throwCharge * CHARGE_PULL_BACK);
    PhysicsManager::deferSetTransform(body, toMetres(target), body->GetAngle());
}

void ItemInteractComponent::chargeThrow(float deltaTime)
{
    // Only the controller's button charges; the keyboard throws with what is stored.
    if (InputManager::getInstance().isButtonDown(Action::FIRE, static_cast<unsigned>(m_playerIndex)))
        m_throwCharge = std::min(m_throwCharge + deltaTime * m_chargeRate, m_maxCharge);
}

bool ItemInteractComponent::isThrowReleased() const
{
    const InputManager& input = InputManager::getInstance();
    return input.isButtonReleased(Action::FIRE, static_cast<unsigned>(m_playerIndex))
           || input.isKeyReleased(Action::FIRE, m_playerIndex);
}

void ItemInteractComponent::throwHeldItem()
{
    GameObject& itemObject = *m_heldItem;
    ItemComponent& item = *heldItemComponent();

    if (auto animation = m_gameObject.getComponent<AnimationRenderComponent>())
        animation->setAnimation(AnimationType::THROWING);

    // Outside the step, so the body may be changed directly.
    b2Body* body = item.getRigidBody().getBody();
    if (body)
    {
        PhysicsManager::assertWorldUnlocked();
        body->SetGravityScale(1.f);
        body->SetEnabled(true);
    }
    if (auto collider = itemObject.getComponent<ColliderComponent>(); collider && collider->getFixture())
        collider->getFixture()->SetSensor(false);

    const sf::Vector2f velocity = m_aimDirection * m_throwCharge;
    if (body && body->GetType() != b2_staticBody)
        body->SetLinearVelocity(body->GetLinearVelocity() + toMetres(velocity));
    item.setThrown(true);
    item.setThrowVelocity(velocity);

    m_throwCharge = 0.f;
    m_heldItem = nullptr;
    m_throwSound.playUnlessPlaying();
}

void ItemInteractComponent::forgetHeldItem()
{
    if (ItemComponent* item = heldItemComponent())
        item->setHeld(false);
    m_heldItem = nullptr;
    m_throwCharge = 0.f;
}

} // namespace zelk
