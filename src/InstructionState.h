#pragma once
// The controls screen: a picture of the controls with a heading and a hint how to return. Escape
// or a controller's menu button goes back to the menu. Built once, on the first entry that finds
// every asset.

#include "GameState.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/View.hpp>

namespace zelk
{

class InstructionState : public GameState
{
public:
    // Share of the screen height the picture fills.
    static constexpr float PICTURE_HEIGHT_SHARE = 0.6f;
    static constexpr int EDGE_MARGIN = 20;

    InstructionState(GameStateManager* gameStateManager, Game* game);

    void init() override;
    void update(float dt) override;
    void draw() override;
    void exit() override;

    bool isInitialized() const { return m_initialized; }
    /// For testing.
    const sf::Sprite& getPicture() const { return m_picture; }
    /// For testing.
    const sf::Text& getHeading() const { return m_heading; }
    /// For testing.
    const sf::Text& getHint() const { return m_hint; }

private:
    bool buildPicture(const sf::Vector2f& centre, unsigned windowHeight);
    void buildTexts(const sf::Vector2f& centre, unsigned windowHeight);

    sf::Sprite m_picture;
    sf::Texture m_pictureTexture;
    sf::Text m_heading;
    sf::Text m_hint;
    sf::Font m_font;
    sf::View m_view;
    bool m_initialized = false;
};

} // namespace zelk
