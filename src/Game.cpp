#include "Game.h"

#include "DebugDraw.h"
#include "GameNames.h"
#include "GameState.h"
#include "InputManager.h"
#include "InstructionState.h"
#include "MainState.h"
#include "MenuState.h"
#include "TraceProfiler.h"
#include "TraceTimer.h"

#include <memory>
#include <string>

namespace zelk
{

namespace
{
constexpr unsigned FRAMERATE_LIMIT = 280;
} // namespace

Game::Game(const GameConfig& config)
    : m_config(config)
{
}

// The states are destroyed with the manager after the GUI; the window outlives them, since a
// state may still hold views or resources tied to it.
Game::~Game() = default;

void Game::run()
{
    auto& profiler = TraceProfiler::getInstance();
    profiler.beginTrace("startup", "startup.json");
    if (!init())
        return;
    profiler.endTrace();
    profiler.beginTrace("runtime", "runtime.json");

    while (m_window.isOpen())
    {
        if (!runFrame())
            return;
    }
    // A state closed the window during the frame (the menu's "Exit"): that frame was still drawn.
    exitCurrentState();
}

bool Game::runFrame()
{
    if (m_frameStartHook)
        m_frameStartHook();

    TraceTimer frameTimer("Frame");
    TraceTimer eventsTimer("Process Events");
    if (!processEvents())
    {
        eventsTimer.stop();
        frameTimer.stop();
        return false;
    }
    eventsTimer.stop();

    update();
    draw();
    return true;
}

bool Game::processEvents()
{
    while (!m_injectedEvents.empty())
    {
        const sf::Event event = m_injectedEvents.front();
        m_injectedEvents.pop_front();
        if (!handleEvent(event))
            return false;
    }
    sf::Event event;
    while (m_window.pollEvent(event))
    {
        if (!handleEvent(event))
            return false;
    }
    return true;
}

bool Game::handleEvent(const sf::Event& event)
{
    if (event.type == sf::Event::Closed)
    {
        exitCurrentState();
        m_window.close();
        return false;
    }
    InputManager::getInstance().handleEvent(event);
    m_gui.handleEvent(event);
    return true;
}

void Game::finishRun()
{
    exitCurrentState();
    TraceProfiler::getInstance().endTrace();
}

void Game::exitCurrentState()
{
    if (GameState* current = m_gameStateManager.getCurrentState())
        current->exit();
}

bool Game::init()
{
    TraceTimer timer("zelk::Game::init");

    InputManager& input = InputManager::getInstance();
    input.installDefaultBindings();
    DebugDraw::getInstance().setEnabled(false);

    m_gameStateManager.addState(Screen::MENU, std::make_shared<MenuState>(&m_gameStateManager, this));
    m_gameStateManager.addState(Screen::MATCH, std::make_shared<MainState>(&m_gameStateManager, this));
    m_gameStateManager.addState(Screen::CONTROLS,
                                std::make_shared<InstructionState>(&m_gameStateManager, this));

    m_window.create(sf::VideoMode::getDesktopMode(), sf::String::fromUtf8(m_config.title.begin(), m_config.title.end()),
                    sf::Style::Fullscreen);
    m_window.setFramerateLimit(FRAMERATE_LIMIT);
    m_gui.setTarget(m_window);

    input.applyControllerVendorOverrides();
    m_gameStateManager.setState(Screen::MENU);
    return true;
}

void Game::update()
{
    if (!m_frameClockStarted)
    {
        m_frameClock.restart();
        m_frameClockStarted = true;
    }
    update(m_frameClock.restart().asSeconds());
}

void Game::update(float deltaTime)
{
    TraceTimer timer("zelk::Game::update");

    InputManager::getInstance().update();

    m_gameStateManager.applyPendingState();
    if (GameState* current = m_gameStateManager.getCurrentState())
        current->update(deltaTime);

    DebugDraw::getInstance().update();

    countFrame();
    showFpsInTitle();
}

void Game::showFpsInTitle()
{
    // The text only changes once a second: building it and sending it to the window system every
    // frame would cost heap allocations and a round trip per frame for an identical title.
    if (m_fps == m_fpsInTitle)
        return;
    const std::string title = m_config.title + " | FPS: " + std::to_string(m_fps);
    m_window.setTitle(sf::String::fromUtf8(title.begin(), title.end()));
    m_fpsInTitle = m_fps;
}

void Game::countFrame()
{
    if (m_fpsClock.getElapsedTime().asSeconds() >= 1.0f)
    {
        m_fps = m_frameCount;
        m_frameCount = 0;
        m_fpsClock.restart();
    }
    ++m_frameCount;
}

void Game::draw()
{
    TraceTimer timer("zelk::Game::draw");

    m_window.clear(sf::Color(0, 0, 0, 255));
    if (GameState* current = m_gameStateManager.getCurrentState())
        current->draw();

    DebugDraw& overlay = DebugDraw::getInstance();
    if (overlay.isEnabled())
    {
        for (const auto& shape : overlay.getShapes())
            m_window.draw(*shape);
    }
    overlay.clearShapes();

    m_gui.draw();
    m_window.display();
}

void Game::injectEvent(const sf::Event& event)
{
    m_injectedEvents.push_back(event);
}

void Game::setFrameStartHook(std::function<void()> hook)
{
    m_frameStartHook = std::move(hook);
}

} // namespace zelk
