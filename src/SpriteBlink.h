#pragma once
// Blinking of one sprite: alternately invisible and white for a while, ending white and visible.
// Shared by the sprite and the animation render components.

#include <SFML/Graphics/Sprite.hpp>

#include <string>

namespace zelk
{

class SpriteBlink
{
public:
    // Refuses (with a message naming the owner) an interval that is not a positive number, since
    // the phase is the timer divided by it.
    bool start(float duration, float interval, const std::string& owner);
    // Advances the timer and sets the sprite's colour for the current phase.
    void step(float deltaTime, sf::Sprite& sprite);
    bool isBlinking() const { return m_blinking; }

private:
    float m_blinkDuration = 0.f;
    float m_blinkInterval = 0.f;
    float m_blinkTimer = 0.f;
    bool m_blinking = false;
};

} // namespace zelk
