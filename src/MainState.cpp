#include "MainState.h"

#include "GameStateManager.h"
#include "InputManager.h"
#include "TraceTimer.h"

namespace zelk
{

MainState::MainState(GameStateManager* gameStateManager, Game* game)
    : GameState(gameStateManager, game)
{
}

void MainState::init()
{
    TraceTimer timer("zelk::MainState::init");
}

void MainState::update(float /*deltaTime*/)
{
    TraceTimer timer("zelk::MainState::update");
    const auto& input = InputManager::getInstance();
    if (input.isKeyPressed("Exit", 0) || input.isButtonPressedOnAnyJoystick("Menu"))
        m_gameStateManager->setState("MenuState");
}

void MainState::draw()
{
    TraceTimer timer("zelk::MainState::draw");
}

void MainState::exit()
{
    TraceTimer timer("zelk::MainState::exit");
}

} // namespace zelk
