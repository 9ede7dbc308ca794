#include "SpriteRenderComponent.h"

#include "AssetCache.h"
#include "EventBus.h"
#include "GameObject.h"
#include "RenderableCreateEvent.h"
#include "RenderableDestroyEvent.h"

#include <SFML/System/Err.hpp>

#include <cmath>

namespace zelk
{

SpriteRenderComponent::SpriteRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow,
                                             std::string texturePath, std::string layerName)
    : IRenderComponent(gameObject, renderWindow)
    , m_texturePath(std::move(texturePath))
    , m_layerName(std::move(layerName))
{
    EventBus::getInstance().fireEvent(std::make_shared<RenderableCreateEvent>(*this, m_layerName));
}

SpriteRenderComponent::~SpriteRenderComponent()
{
    // First thing: the sprite manager holds a raw pointer to us and must drop it before we go.
    EventBus::getInstance().fireEvent(std::make_shared<RenderableDestroyEvent>(*this, m_layerName));
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
    stepBlink(deltaTime);
}

void SpriteRenderComponent::draw()
{
    m_renderWindow.draw(m_sprite, sf::RenderStates(m_gameObject.getTransform()));
}

void SpriteRenderComponent::startBlinking(float duration, float interval)
{
    if (!(interval > 0.f) || !std::isfinite(interval) || std::isnan(duration))
    {
        sf::err() << "SpriteRenderComponent::startBlinking: ignored blinking for " << duration << " s every "
                  << interval << " s, the interval must be a positive number" << std::endl;
        return;
    }
    m_blinking = true;
    m_blinkDuration = duration;
    m_blinkInterval = interval;
    m_blinkTimer = 0.f;
}

void SpriteRenderComponent::stepBlink(float deltaTime)
{
    if (!m_blinking)
        return;
    m_blinkTimer += deltaTime;
    if (m_blinkTimer > m_blinkDuration)
    {
        m_blinkTimer = 0.f;
        m_blinking = false;
        m_sprite.setColor(sf::Color::White);
        return;
    }
    // Parity through floating point: a cast to int could overflow for a long blink.
    const bool evenPhase = std::fmod(std::floor(m_blinkTimer / m_blinkInterval), 2.f) < 1.f;
    const bool invisible = m_sprite.getColor().a == 0;
    if (evenPhase && !invisible)
        m_sprite.setColor(sf::Color::Transparent);
    else if (!evenPhase && invisible)
        m_sprite.setColor(sf::Color::White);
}

} // namespace zelk
