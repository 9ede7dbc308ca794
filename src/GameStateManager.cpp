#include "GameStateManager.h"

#include "GameState.h"

namespace zelk
{

void GameStateManager::addState(const std::string& name, std::shared_ptr<GameState> state)
{
    auto& slot = m_states[name];
    GameState* replaced = slot.get();
    std::shared_ptr<GameState> keepAlive = std::move(slot);
    slot = std::move(state);
    if (replaced == nullptr || replaced == slot.get())
        return;

    if (m_futureState == replaced)
        m_futureState = slot.get();
    if (m_currentState == replaced)
    {
        // The replaced screen is left properly and its successor entered at the next frame,
        // unless another switch is already pending.
        replaced->exit();
        m_currentState = nullptr;
        if (m_futureState == nullptr)
            m_futureState = slot.get();
    }
}

void GameStateManager::setState(const std::string& name)
{
    const auto found = m_states.find(name);
    m_futureState = found == m_states.end() ? nullptr : found->second.get();
}

void GameStateManager::applyPendingState()
{
    if (m_futureState != nullptr && m_futureState != m_currentState)
    {
        if (m_currentState != nullptr)
            m_currentState->exit();
        m_currentState = m_futureState;
        m_currentState->init();
    }
    m_futureState = nullptr;
}

std::shared_ptr<GameState> GameStateManager::getState(const std::string& name) const
{
    const auto found = m_states.find(name);
    return found == m_states.end() ? nullptr : found->second;
}

} // namespace zelk
