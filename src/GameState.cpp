#include "GameState.h"

#include "AssetPaths.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/System/Err.hpp>

namespace zelk
{

GameState::GameState(GameStateManager* gameStateManager, Game* game)
    : m_gameStateManager(gameStateManager)
    , m_game(game)
{
}

GameState::~GameState() = default;

void GameState::init()
{
}

void GameState::exit()
{
}

bool GameState::loadFont(sf::Font& font)
{
    if (font.loadFromFile(AssetPath::FONT))
        return true;
    sf::err() << "Could not load font\n";
    return false;
}

} // namespace zelk
