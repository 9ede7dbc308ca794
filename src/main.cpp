#include "Game.h"
#include "GameConfig.h"

int main()
{
    zelk::Game game(zelk::GameConfig{});
    game.run();
    return 0;
}
