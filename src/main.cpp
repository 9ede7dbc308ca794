#include "Game.h"
#include "GameConfig.h"
#include "ProgramStart.h"
#include "ShutdownSignal.h"

#include <SFML/Window/Event.hpp>

int main()
{
    // First, so that the traces, the log and every output line land in the game's own bin/.
    zelk::ProgramStart::enterGameDirectory();
    zelk::ProgramStart::routeOutput();
    zelk::Game game(zelk::GameConfig{});
    zelk::ShutdownSignal::install();
    // Checked with the window's events every frame: a signal closes the game exactly like the
    // window's close button, so the current screen exits and the trace files are finished.
    game.setFrameStartHook([&game] {
        zelk::ShutdownSignal::watchSessionEnd(game.getWindow().getSystemHandle(), [&game] { game.finishRun(); });
        if (!zelk::ShutdownSignal::isRequested())
            return;
        zelk::ShutdownSignal::clear();
        sf::Event close{};
        close.type = sf::Event::Closed;
        game.injectEvent(close);
    });
    game.run();
    return 0;
}
