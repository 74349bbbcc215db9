#pragma once

#include "services/GameState.hpp"

// The menu screens (main menu, level select, highscore, controls, credits) are all shown in this
// state.
class MainMenu : public GameState
{
public:
    void Init() override;
    void Exit() override {}
    // The screens' keys (the level select's arrows and Enter).
    void Update(float) override;
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;
};
