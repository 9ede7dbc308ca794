#pragma once
// A bomb: after a throw it stops on touching a player (or after flying half its throw speed in
// pixels sideways), burns a fuse, then for a while flings every player near it away.
//
// Contract: the object must carry a ColliderComponent with a circle fixture and an
// AnimationRenderComponent with the bomb animations of AnimationKey.h under Direction::NONE.
// Without them the bomb still counts its lifetime but cannot stop, grow or show its explosion.
// The stop is a contact callback: it changes velocity, gravity and flags at once (see
// ColliderComponent's contact callbacks).

#include "ItemComponent.h"
#include "SoundEffect.h"

#include <memory>

class b2Body;

namespace zelk
{

class AnimationRenderComponent;
class ColliderComponent;

class BombComponent : public ItemComponent
{
public:
    static constexpr float FUSE_TIME = 1.f;
    static constexpr float PUSH_START = 0.1f;
    static constexpr float EXPLOSION_DURATION = 0.8f;
    static constexpr float IDLE_RADIUS_METRES = 0.5f;

    BombComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, float explosionForce, float explosionRadius);
    ~BombComponent() override;

    bool init() override;
    void update(float deltaTime) override;
    void deactivate() override;
    void setThrown(bool thrown) override;

    /// For testing.
    bool isExploding() const { return m_exploding; }
    /// For testing.
    float getFuseTimer() const { return m_fuseTimer; }
    /// For testing.
    float getExplosionTimer() const { return m_explosionTimer; }

private:
    void stopFlying();
    bool hasFlownFarEnough() const;
    void burnFuse(float deltaTime);
    void explode(float deltaTime);
    void handleExplosion();
    void pushAway(b2Body& body) const;
    std::shared_ptr<ColliderComponent> collider() const;
    void setCircleRadius(float metres) const;
    void setSensor(bool sensor) const;
    void showAnimation(int type) const;

    bool m_exploding = false;
    float m_explosionForce;
    float m_throwStartX = 0.f;
    float m_explosionRadius;
    float m_fuseTimer = 0.f;
    float m_explosionTimer = 0.f;
    float m_fuseTime = FUSE_TIME;
    // Shared with every other bomb: one decode per match.
    SoundEffect m_explosionSound;
};

} // namespace zelk
