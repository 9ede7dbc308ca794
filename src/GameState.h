#pragma once
// One screen of the game (menu, match, controls). The state manager calls init() every time the
// state becomes current and exit() every time it stops being current, so a state that must build
// its resources only once keeps its own flag for that.

namespace sf
{
class Font;
}

namespace zelk
{

class Game;
class GameStateManager;

class GameState
{
public:
    GameState(GameStateManager* gameStateManager, Game* game);
    virtual ~GameState();

    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    virtual void init();
    virtual void exit();
    virtual void update(float dt) = 0;
    virtual void draw() = 0;

protected:
    // The game's one font, which every screen writes with; false after one line on sf::err().
    static bool loadFont(sf::Font& font);

    GameStateManager* const m_gameStateManager;
    Game* const m_game;
};

} // namespace zelk
