#pragma once
// The first screen, and the one the match and the controls screen return to: logo, title, credit
// line and the entries "Start", "Controls" and "Exit". Built once, on the first entry that finds
// every asset; the selection survives leaving and re-entering.

#include "GameState.h"
#include "TextMenu.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/View.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace zelk
{

class MenuState : public GameState
{
public:
    static constexpr float STICK_CENTRE_ZONE = 2.0f;
    static constexpr float STICK_MOVE_THRESHOLD = 20.0f;

    MenuState(GameStateManager* gameStateManager, Game* game);

    void init() override;
    void update(float dt) override;
    void draw() override;
    void exit() override;

    bool isInitialized() const { return m_initialized; }
    /// For testing.
    const std::vector<sf::Text>& getMenuEntries() const { return m_menu.getEntries(); }
    // The marked entry's word, or an empty string while no entries exist.
    std::string getSelectedEntry() const;
    // The text the marked entry is drawn with: its word framed by "> " and " <".
    sf::Text makeDrawnEntry(std::size_t index) const;
    /// For testing.
    const sf::Sprite& getLogo() const { return m_logo; }
    /// For testing.
    const sf::Text& getTitle() const { return m_titleText; }
    /// For testing.
    const sf::Text& getCredit() const { return m_creditText; }

private:
    bool buildLogo(const sf::Vector2f& centre);
    void buildTexts(const sf::Vector2f& centre);
    void setUpText(sf::Text& text, const std::string& content, unsigned size, const sf::Vector2f& position);

    void confirmSelection();

    sf::Sprite m_logo;
    sf::Texture m_logoTexture;
    sf::Text m_creditText;
    sf::Text m_titleText;
    sf::Font m_font;
    sf::View m_view;
    sf::Text m_startText;
    sf::Text m_controlsText;
    sf::Text m_exitText;
    TextMenu m_menu{STICK_CENTRE_ZONE, STICK_MOVE_THRESHOLD};
    bool m_initialized = false;
};

} // namespace zelk
