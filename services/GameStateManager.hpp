#pragma once
// Holds the game states by name and switches between them at once.

#include "services/GameState.hpp"

#include <map>
#include <string>

class GameStateManager
{
public:
    static GameStateManager& instance();

    // A name already present gets the new state.
    void AddState(const std::string& name, GameState* state);
    // Exits the current state and enters the named one, inside this call. Changing to the
    // current state does nothing; a name never added is ignored.
    void ChangeState(const std::string& name);
    // Forgets every state (without exiting any).
    void Reset() { *this = GameStateManager(); }

    GameState* currentState = nullptr; // not owned: the states belong to Game
    std::map<std::string, GameState*> states;

private:
    GameStateManager() = default;
};
