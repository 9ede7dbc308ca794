#pragma once
// A row of hearts over a row of empty places, drawn at the object's position in screen space; the
// hearts flash for a second after every loss.

#include "LayeredRenderComponent.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/Transform.hpp>

#include <memory>
#include <string>
#include <vector>

namespace zelk
{

class HealthIndicatorRenderComponent final : public LayeredRenderComponent
{
public:
    // The number of places is the health given here; it never changes afterwards.
    HealthIndicatorRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, std::string backgroundPath,
                                   std::string heartPath, std::string layerName, sf::Vector2f scale, int health);
    ~HealthIndicatorRenderComponent() override;

    bool init() override;
    void update(float deltaTime) override;
    void draw() override;

    // A lower value than the one shown starts (or restarts) the flash.
    void setHealth(int health);

    int getHealth() const { return m_health; }
    /// For testing.
    bool isFlashing() const { return m_flashing; }
    // Hearts drawn now: the health clamped to the places, none while a flash phase hides them.
    int getVisibleHeartCount() const;

private:
    bool loadMaskedTexture(const std::string& path, std::shared_ptr<const sf::Texture>& texture) const;
    void appendSprites(std::vector<sf::Sprite>& sprites, const sf::Texture& texture) const;
    bool areHeartsHidden() const;
    float placeStep() const;
    void drawRow(const std::vector<sf::Sprite>& sprites, std::size_t count);

    int m_health;
    std::string m_backgroundPath;
    std::string m_heartPath;
    // Shared with the other player's indicator.
    std::shared_ptr<const sf::Texture> m_heartTexture;
    std::shared_ptr<const sf::Texture> m_backgroundTexture;
    std::vector<sf::Sprite> m_heartSprites;
    std::vector<sf::Sprite> m_backgroundSprites;
    sf::Vector2f m_scale;
    bool m_flashing = false;
    float m_flashTimer = 0.f;
    float m_flashPeriod = 0.2f;
};

} // namespace zelk
