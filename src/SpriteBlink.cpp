#include "SpriteBlink.h"

#include <SFML/System/Err.hpp>

#include <cmath>

namespace zelk
{

bool SpriteBlink::start(float duration, float interval, const std::string& owner)
{
    if (!(interval > 0.f) || !std::isfinite(interval) || std::isnan(duration))
    {
        sf::err() << owner << "::startBlinking: ignored blinking for " << duration << " s every " << interval
                  << " s, the interval must be a positive number" << std::endl;
        return false;
    }
    m_blinking = true;
    m_blinkDuration = duration;
    m_blinkInterval = interval;
    m_blinkTimer = 0.f;
    return true;
}

void SpriteBlink::step(float deltaTime, sf::Sprite& sprite)
{
    if (!m_blinking)
        return;
    m_blinkTimer += deltaTime;
    if (m_blinkTimer > m_blinkDuration)
    {
        m_blinkTimer = 0.f;
        m_blinking = false;
        sprite.setColor(sf::Color::White);
        return;
    }
    // Parity through floating point: a cast to int could overflow for a long blink.
    const bool evenPhase = std::fmod(std::floor(m_blinkTimer / m_blinkInterval), 2.f) < 1.f;
    const bool invisible = sprite.getColor().a == 0;
    if (evenPhase && !invisible)
        sprite.setColor(sf::Color::Transparent);
    else if (!evenPhase && invisible)
        sprite.setColor(sf::Color::White);
}

} // namespace zelk
