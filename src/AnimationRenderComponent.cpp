#include "AnimationRenderComponent.h"

#include "AssetCache.h"
#include "GameObject.h"

#include <SFML/System/Err.hpp>

#include <cmath>

namespace zelk
{

AnimationRenderComponent::AnimationRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow,
                                                   std::string layerName, std::string texturePath)
    : LayeredRenderComponent(gameObject, renderWindow, std::move(layerName))
    , m_texturePath(std::move(texturePath))
{
    announceCreation();
}

AnimationRenderComponent::~AnimationRenderComponent()
{
    announceDestruction();
}

bool AnimationRenderComponent::init()
{
    // A failed load leaves an empty texture; the frames then draw nothing visible.
    m_sheet = AssetCache::getTexture(m_texturePath, false);
    m_sprite.setTexture(getTexture());
    return true;
}

void AnimationRenderComponent::update(float deltaTime)
{
    if (!m_currentAnimation)
        return;
    stepFrame(deltaTime);
    m_blink.step(deltaTime, m_sprite);
}

void AnimationRenderComponent::draw()
{
    if (!m_currentAnimation)
        return;
    // A new pair starts at its first frame. An index left over from a longer animation (selected
    // and dropped again between two draws) restarts too, instead of reading past the frames.
    const bool newPair = m_currentType != m_lastDrawnType || m_currentDirection != m_lastDrawnDirection;
    if (newPair || m_frameIndex < 0 || m_frameIndex >= m_currentAnimation->frameCount())
        restartFrames();

    const sf::IntRect& frame = m_currentAnimation->frames[static_cast<std::size_t>(m_frameIndex)];
    m_sprite.setTextureRect(frame);
    m_sprite.setScale(m_currentAnimation->scale);
    m_sprite.setOrigin(0.5f * static_cast<float>(frame.width), 0.5f * static_cast<float>(frame.height));
    m_renderWindow.draw(m_sprite, sf::RenderStates(m_gameObject.getTransform()));

    m_lastDrawnType = m_currentType;
    m_lastDrawnDirection = m_currentDirection;
}

void AnimationRenderComponent::addAnimation(int type, int direction, Animation animation)
{
    // Assigning into the existing map node keeps m_currentAnimation pointing at valid storage.
    Animation& stored = m_animations[type][direction];
    stored = std::move(animation);
    if (&stored != m_currentAnimation)
        return;
    if (stored.frames.empty())
    {
        sf::err() << "AnimationRenderComponent::addAnimation: the current animation was replaced by one without "
                     "frames. Type: "
                  << type << " Direction: " << direction << std::endl;
        m_currentAnimation = nullptr;
    }
    else if (m_frameIndex >= stored.frameCount())
    {
        restartFrames();
    }
}

void AnimationRenderComponent::setAnimation(int type, int direction)
{
    if (type == m_currentType && direction == m_currentDirection)
        return;
    if (isLockedInNonLoopingAnimation())
        return;
    m_currentDirection = direction;
    selectAnimation(type, direction);
}

void AnimationRenderComponent::setAnimation(int type)
{
    if (type == m_currentType)
        return;
    if (isLockedInNonLoopingAnimation())
        return;
    selectAnimation(type, m_currentDirection);
}

void AnimationRenderComponent::startBlinking(float duration, float interval)
{
    m_blink.start(duration, interval, "AnimationRenderComponent");
}

const Animation* AnimationRenderComponent::findAnimation(int type, int direction) const
{
    const auto byType = m_animations.find(type);
    if (byType == m_animations.end())
        return nullptr;
    const auto byDirection = byType->second.find(direction);
    return byDirection == byType->second.end() ? nullptr : &byDirection->second;
}

bool AnimationRenderComponent::isLockedInNonLoopingAnimation() const
{
    return m_currentAnimation && !m_currentAnimation->loop && !m_currentAnimation->isLastFrame(m_frameIndex);
}

void AnimationRenderComponent::selectAnimation(int type, int direction)
{
    m_currentType = type;
    m_currentAnimation = findAnimation(type, direction);
    if (!m_currentAnimation)
    {
        sf::err() << "AnimationRenderComponent::setAnimation: Animation not found. Type:" << std::endl;
        return;
    }
    if (m_currentAnimation->frames.empty())
    {
        // Selecting it would index an empty frame list on the next draw: treat it as missing.
        sf::err() << "AnimationRenderComponent::setAnimation: Animation has no frames. Type: " << type
                  << " Direction: " << direction << std::endl;
        m_currentAnimation = nullptr;
    }
}

void AnimationRenderComponent::restartFrames()
{
    m_frameIndex = 0;
    m_frameTimer = 0.f;
}

void AnimationRenderComponent::stepFrame(float deltaTime)
{
    m_frameTimer += deltaTime;
    // Strict comparison and a hard reset: the excess time is dropped on purpose.
    if (m_frameTimer > m_currentAnimation->frameTime)
    {
        m_frameTimer = 0.f;
        ++m_frameIndex;
        if (m_frameIndex >= m_currentAnimation->frameCount())
            m_frameIndex = 0;
    }
}

} // namespace zelk
