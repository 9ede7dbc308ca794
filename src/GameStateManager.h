#pragma once
// Keeps the screens alive for the whole run, knows them by name and switches between them.
// A switch is only requested during a frame; Game::update applies it at the start of the next
// frame, so no state is ever left in the middle of its own update or draw.

#include <memory>
#include <string>
#include <unordered_map>

namespace zelk
{

class GameState;

class GameStateManager
{
public:
    GameStateManager() = default;
    GameStateManager(const GameStateManager&) = delete;
    GameStateManager& operator=(const GameStateManager&) = delete;

    // A second state under the same name replaces the first. Requests and the current state
    // that pointed at the replaced state move over to the new one, so no pointer dangles.
    void addState(const std::string& name, std::shared_ptr<GameState> state);

    // Requests the named state for the next frame; an unknown name cancels the pending request.
    void setState(const std::string& name);

    // Performs a pending switch: exits the current state and enters the requested one, unless
    // they are the same. The request is consumed in every case.
    void applyPendingState();

    GameState* getCurrentState() const { return m_currentState; }
    /// For testing.
    std::shared_ptr<GameState> getState(const std::string& name) const;

private:
    std::unordered_map<std::string, std::shared_ptr<GameState>> m_states;
    GameState* m_currentState = nullptr;
    GameState* m_futureState = nullptr;
};

} // namespace zelk
