#pragma once
// The match screen. Leaving it ("Exit" on the keyboard or "Menu" on any controller) goes back to
// the menu at the next frame.

#include "GameState.h"

namespace zelk
{

class MainState : public GameState
{
public:
    MainState(GameStateManager* gameStateManager, Game* game);

    void init() override;
    void update(float deltaTime) override;
    void draw() override;
    void exit() override;
};

} // namespace zelk
