#pragma once
// Owns the window, the screens and the widget layer, and sequences every frame: window events,
// update, draw. Everything the player sees happens inside the current GameState.

#include "GameConfig.h"
#include "GameStateManager.h"
#include "Gui.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Clock.hpp>
#include <SFML/Window/Event.hpp>

#include <deque>
#include <functional>

namespace zelk
{


class Game
{
public:
    explicit Game(const GameConfig& config);
    ~Game();

    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // The whole life of the game: start-up trace, init, then frames until the window closes.
    void run();
    bool init();
    // The frame's update with the clock's time since the last one (zero for the first).
    void update();
    // The frame's update in the game's order: input snapshot, pending screen switch, the current
    // screen's update, the overlay key, the frame count. Tests give a fixed time, for repeatable physics.
    void update(float deltaTime);
    void draw();

    // One pass of the main loop. Returns false when the window's close event ended the game.
    bool runFrame();
    // Ends the game where it stands when the process must end before the window can close (the
    // system ending the session): the current screen exits and the runtime trace is finished.
    void finishRun();

    sf::RenderWindow& getWindow() { return m_window; }
    Gui& getGui() { return m_gui; }
    GameStateManager& getGameStateManager() { return m_gameStateManager; }
    const GameConfig& getConfig() const { return m_config; }
    /// For testing.
    int getFps() const { return m_fps; }

    // Test seams: an injected event takes the same intake as a polled one, ahead of the window's
    // own events; the hook runs at the start of every frame of run().
    void injectEvent(const sf::Event& event);
    void setFrameStartHook(std::function<void()> hook);

private:
    // Returns false for the close event, which ends the game.
    bool processEvents();
    bool handleEvent(const sf::Event& event);
    void exitCurrentState();
    void countFrame();
    void showFpsInTitle();

    GameConfig m_config;
    sf::RenderWindow m_window;
    GameStateManager m_gameStateManager;
    int m_frameCount = 0;
    int m_fps = 0;
    sf::Clock m_fpsClock;
    Gui m_gui;
    // The frame rate the window title shows; none yet.
    int m_fpsInTitle = -1;

    sf::Clock m_frameClock;
    bool m_frameClockStarted = false;
    std::deque<sf::Event> m_injectedEvents;
    std::function<void()> m_frameStartHook;
};

} // namespace zelk
