#include "GameState.h"

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

} // namespace zelk
