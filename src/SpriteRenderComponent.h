#pragma once
// Draws one image (pure black made transparent) placed by the game object's transform.
// Filed on its render layer from construction to destruction through the event bus.

#include "LayeredRenderComponent.h"
#include "SpriteBlink.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <memory>
#include <string>

namespace zelk
{

class SpriteRenderComponent final : public LayeredRenderComponent
{
public:
    SpriteRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, std::string texturePath,
                          std::string layerName);
    ~SpriteRenderComponent() override;

    // Loads the image; false (with one line on sf::err()) when it cannot be used.
    bool init() override;
    void update(float deltaTime) override;
    void draw() override;

    // Creators set a texture rectangle and origin here right after construction.
    sf::Sprite& getSprite() { return m_sprite; }
    // Alternates invisible and visible phases of interval seconds for duration seconds.
    void startBlinking(float duration, float interval);
    bool isBlinking() const { return m_blink.isBlinking(); }


private:
    bool reportLoadFailure() const;

    std::string m_texturePath;
    // Shared with every component showing the same image (the pooled rocks): one decode per match.
    std::shared_ptr<const sf::Texture> m_texture;
    sf::Sprite m_sprite;
    SpriteBlink m_blink;
};

} // namespace zelk
