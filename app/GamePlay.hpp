#pragma once

#include "app/services/GameState.hpp"

// A running (or just lost) game. Its Update fixes the order of the whole simulation.
class GamePlay : public GameState
{
public:
    void Init() override;
    void Exit() override;
    void Update(float dt) override;
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;
};
