#include "services/GameStateManager.hpp"

GameStateManager& GameStateManager::instance()
{
    static GameStateManager manager;
    return manager;
}

void GameStateManager::AddState(const std::string& name, GameState* state)
{
    states[name] = state;
}

void GameStateManager::ChangeState(const std::string& name)
{
    const auto found = states.find(name);
    if (found == states.end() || found->second == nullptr || found->second == currentState)
        return;
    if (currentState)
        currentState->Exit();
    currentState = found->second;
    currentState->Init();
}
