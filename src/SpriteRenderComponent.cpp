#include "SpriteRenderComponent.h"

#include "AssetCache.h"
#include "GameObject.h"

#include <SFML/System/Err.hpp>

#include <cmath>

namespace zelk
{

SpriteRenderComponent::SpriteRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow,
                                             std::string texturePath, std::string layerName)
    : LayeredRenderComponent(gameObject, renderWindow, std::move(layerName))
    , m_texturePath(std::move(texturePath))
{
    announceCreation();
}

SpriteRenderComponent::~SpriteRenderComponent()
{
    announceDestruction();
}

bool SpriteRenderComponent::init()
{
    // Pure black is the transparent colour of these images.
    m_texture = AssetCache::getTexture(m_texturePath, true);
    if (!m_texture)
        return reportLoadFailure();
    // A rectangle set by the creator before init() is kept; without one the whole image shows.
    m_sprite.setTexture(*m_texture);
    return true;
}

bool SpriteRenderComponent::reportLoadFailure() const
{
    sf::err() << "Could not load texture from " << m_texturePath << std::endl;
    return false;
}

void SpriteRenderComponent::update(float deltaTime)
{
    m_blink.step(deltaTime, m_sprite);
}

void SpriteRenderComponent::draw()
{
    m_renderWindow.draw(m_sprite, sf::RenderStates(m_gameObject.getTransform()));
}

void SpriteRenderComponent::startBlinking(float duration, float interval)
{
    m_blink.start(duration, interval, "SpriteRenderComponent");
}

} // namespace zelk
