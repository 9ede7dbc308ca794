#include "BombComponent.h"

#include "AnimationKey.h"
#include "AnimationRenderComponent.h"
#include "AssetPaths.h"
#include "ColliderComponent.h"
#include "CollisionCategory.h"
#include "GameObject.h"
#include "PhysicsManager.h"
#include "RigidBodyComponent.h"

#include <cmath>
#include <cstdint>

namespace zelk
{

namespace
{

constexpr float EXPLOSION_SOUND_VOLUME = 75.f;

} // namespace

BombComponent::BombComponent(GameObject& gameObject, RigidBodyComponent& rigidBody, float explosionForce,
                             float explosionRadius)
    : ItemComponent(gameObject, rigidBody)
    , m_explosionForce(explosionForce)
    , m_explosionRadius(explosionRadius)
{
}

BombComponent::~BombComponent() = default;

bool BombComponent::init()
{
    // A missing sound only leaves the explosion silent (SFML reports the failed load itself).
    m_explosionSound.load(AssetPath::EXPLOSION_SOUND, EXPLOSION_SOUND_VOLUME);

    // A contact callback: see ColliderComponent's rule.
    if (auto bombCollider = collider())
    {
        bombCollider->registerOnEnterWith(CollisionCategory::PLAYER, [this](ColliderComponent&) {
            // A bomb parked during this frame still has its body until the step ends; stopping it
            // would leave it primed for its next time in play.
            if (m_thrown && m_gameObject.isActive())
                stopFlying();
        });
    }
    return true;
}

void BombComponent::setThrown(bool thrown)
{
    ItemComponent::setThrown(thrown);
    m_throwStartX = m_gameObject.getPosition().x;
}

void BombComponent::update(float deltaTime)
{
    // Parked by its lifetime: the rest describes a bomb in play.
    if (updateLifetime(deltaTime))
        return;
    if (m_thrown && hasFlownFarEnough())
        stopFlying();
    if (m_exploding)
        burnFuse(deltaTime);
}

void BombComponent::deactivate()
{
    ItemComponent::deactivate();
    m_exploding = false;
    m_fuseTimer = 0.f;
    m_explosionTimer = 0.f;
    setSensor(true);
    setCircleRadius(IDLE_RADIUS_METRES);
    showAnimation(AnimationType::BOMB_IDLE);
}

void BombComponent::stopFlying()
{
    if (b2Body* body = m_rigidBody->getBody())
    {
        if (body->GetType() != b2_staticBody)
            body->SetLinearVelocity(b2Vec2(0.f, 0.f));
        body->SetGravityScale(0.f);
    }
    m_exploding = true;
}

bool BombComponent::hasFlownFarEnough() const
{
    // Half the throw speed, in pixels, sideways from where the throw began.
    const float throwSpeedX = m_throwVelocity.x;
    const float x = m_gameObject.getPosition().x;
    const float stopX = m_throwStartX + throwSpeedX * 0.5f;
    return (throwSpeedX > 0.f && x > stopX) || (throwSpeedX < 0.f && x < stopX);
}

void BombComponent::burnFuse(float deltaTime)
{
    // A stopped bomb blocks nothing.
    setSensor(true);
    m_fuseTimer += deltaTime;
    if (m_fuseTimer > m_fuseTime)
        explode(deltaTime);
}

void BombComponent::explode(float deltaTime)
{
    setCircleRadius(toMetres(m_explosionRadius));
    showAnimation(AnimationType::BOMB_EXPLOSION);
    m_explosionSound.playUnlessPlaying();

    m_explosionTimer += deltaTime;
    if (m_explosionTimer > EXPLOSION_DURATION)
        deactivate();
    else if (m_explosionTimer > PUSH_START)
        handleExplosion();
}

void BombComponent::handleExplosion()
{
    // Pushes each reported body at once instead of listing them first: no list to allocate every
    // frame of the blast, and a velocity change does not touch the tree the query walks. A body
    // with several fixtures is reported (and given the same push) once per fixture.
    class PushCallback : public b2QueryCallback
    {
    public:
        explicit PushCallback(const BombComponent& bomb)
            : m_bomb(bomb)
        {
        }

        bool ReportFixture(b2Fixture* fixture) override
        {
            m_bomb.pushAway(*fixture->GetBody());
            return true;
        }

    private:
        const BombComponent& m_bomb;
    };

    b2Body* bombBody = m_rigidBody->getBody();
    if (!bombBody)
        return;
    // The square, not the circle: any body whose broad-phase box reaches into it is pushed.
    const float halfSide = toMetres(m_explosionRadius);
    const b2Vec2 centre = bombBody->GetPosition();
    b2AABB square;
    square.lowerBound = b2Vec2(centre.x - halfSide, centre.y - halfSide);
    square.upperBound = b2Vec2(centre.x + halfSide, centre.y + halfSide);

    PushCallback push(*this);
    bombBody->GetWorld()->QueryAABB(&push, square);
}

void BombComponent::pushAway(b2Body& body) const
{
    const b2Fixture* firstFixture = body.GetFixtureList();
    if (!firstFixture || (firstFixture->GetFilterData().categoryBits & CollisionCategory::PLAYER) == 0)
        return;
    if (body.GetType() == b2_staticBody)
        return;

    const sf::Vector2f offset = toPixels(body.GetPosition()) - m_gameObject.getPosition();
    const float distance = std::sqrt(offset.x * offset.x + offset.y * offset.y);
    // A body right at the centre has no direction of its own: it goes straight up.
    const sf::Vector2f direction = distance > 0.f ? offset / distance : sf::Vector2f(0.f, -1.f);
    body.SetLinearVelocity(toMetres(direction * m_explosionForce));
}

std::shared_ptr<ColliderComponent> BombComponent::collider() const
{
    return m_gameObject.getComponent<ColliderComponent>();
}

void BombComponent::setCircleRadius(float metres) const
{
    auto bombCollider = collider();
    b2Fixture* fixture = bombCollider ? bombCollider->getFixture() : nullptr;
    if (fixture && fixture->GetShape()->GetType() == b2Shape::e_circle)
        fixture->GetShape()->m_radius = metres;
}

void BombComponent::setSensor(bool sensor) const
{
    auto bombCollider = collider();
    if (bombCollider && bombCollider->getFixture())
        bombCollider->getFixture()->SetSensor(sensor);
}

void BombComponent::showAnimation(int type) const
{
    if (auto animation = m_gameObject.getComponent<AnimationRenderComponent>())
        animation->setAnimation(type);
}

} // namespace zelk
