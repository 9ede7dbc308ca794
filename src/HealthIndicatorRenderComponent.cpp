#include "HealthIndicatorRenderComponent.h"

#include "AssetCache.h"
#include "GameObject.h"

#include <SFML/System/Err.hpp>

#include <algorithm>
#include <cmath>

namespace zelk
{

namespace
{
const float FLASH_DURATION = 1.f;
}

HealthIndicatorRenderComponent::HealthIndicatorRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow,
                                                               std::string backgroundPath, std::string heartPath,
                                                               std::string layerName, sf::Vector2f scale, int health)
    : LayeredRenderComponent(gameObject, renderWindow, std::move(layerName))
    , m_health(health)
    , m_backgroundPath(std::move(backgroundPath))
    , m_heartPath(std::move(heartPath))
    , m_scale(scale)
{
    announceCreation();
}

HealthIndicatorRenderComponent::~HealthIndicatorRenderComponent()
{
    announceDestruction();
}

bool HealthIndicatorRenderComponent::init()
{
    if (!loadMaskedTexture(m_backgroundPath, m_backgroundTexture) || !loadMaskedTexture(m_heartPath, m_heartTexture))
        return false;
    appendSprites(m_backgroundSprites, *m_backgroundTexture);
    appendSprites(m_heartSprites, *m_heartTexture);
    return true;
}

bool HealthIndicatorRenderComponent::loadMaskedTexture(const std::string& path,
                                                       std::shared_ptr<const sf::Texture>& texture) const
{
    // The heart images are drawn on black; black is the transparent colour.
    texture = AssetCache::getTexture(path, true);
    if (!texture)
        sf::err() << "Could not load texture from " << path << std::endl;
    return texture != nullptr;
}

void HealthIndicatorRenderComponent::appendSprites(std::vector<sf::Sprite>& sprites, const sf::Texture& texture) const
{
    // A negative health at construction simply means no places.
    const int places = std::max(m_health, 0);
    for (int place = 0; place < places; ++place)
    {
        sf::Sprite sprite(texture);
        sprite.setScale(m_scale);
        sprites.push_back(sprite);
    }
}

void HealthIndicatorRenderComponent::update(float deltaTime)
{
    if (!m_flashing)
        return;
    m_flashTimer += deltaTime;
    if (m_flashTimer >= FLASH_DURATION)
        m_flashing = false;
}

void HealthIndicatorRenderComponent::setHealth(int health)
{
    const int previous = m_health;
    m_health = health;
    if (health < previous)
    {
        m_flashing = true;
        m_flashTimer = 0.f;
    }
}

bool HealthIndicatorRenderComponent::areHeartsHidden() const
{
    return m_flashing && std::fmod(m_flashTimer, m_flashPeriod) < m_flashPeriod * 0.5f;
}

int HealthIndicatorRenderComponent::getVisibleHeartCount() const
{
    if (areHeartsHidden())
        return 0;
    // More health than places (or a negative value) must not index past the sprites.
    return std::clamp(m_health, 0, static_cast<int>(m_heartSprites.size()));
}

float HealthIndicatorRenderComponent::placeStep() const
{
    // The heart's width is the step for both rows, so the hearts cover the empty places exactly.
    const float heartWidth = m_heartTexture ? static_cast<float>(m_heartTexture->getSize().x) : 0.f;
    return heartWidth * m_scale.x;
}

void HealthIndicatorRenderComponent::drawRow(const std::vector<sf::Sprite>& sprites, std::size_t count)
{
    sf::Transform transform = m_gameObject.getTransform();
    const float step = placeStep();
    for (std::size_t place = 0; place < count && place < sprites.size(); ++place)
    {
        // The first place sits one step to the right of the object's position.
        transform.translate(step, 0.f);
        m_renderWindow.draw(sprites[place], sf::RenderStates(transform));
    }
}

void HealthIndicatorRenderComponent::draw()
{
    drawRow(m_backgroundSprites, m_backgroundSprites.size());
    drawRow(m_heartSprites, static_cast<std::size_t>(getVisibleHeartCount()));
}

} // namespace zelk
