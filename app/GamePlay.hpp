#pragma once

#include "services/GameState.hpp"

#include <SFML/Graphics/View.hpp>

#include <cstdint>
#include <optional>

// A running (or just lost) game. Its Update fixes the order of the whole simulation.
class GamePlay : public GameState
{
public:
    void Init() override;
    void Exit() override;
    void Update(float dt) override;
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;
    // The window's view as the game last drew with it (a default view before the first picture):
    // the next game's camera starts from it.
    const sf::View& LastView() const { return lastView; }
    // The money and score every game starts with: the difficulty's start gold and 0 unless a test
    // hands in others (StartCounters in app/FrameTrace.hpp).
    std::optional<std::int32_t> startMoney;
    std::int32_t startScore = 0;

private:
    // One step of the running world: objects, camera, cursor, physics, click, defeat check.
    void StepWorld(float dt);
    // The player's keys of the latest poll: P or Space pauses and resumes, F changes the speed,
    // 1 to 3 choose a tower kind as the HUD's buttons do, R repairs the keep, Escape drops the
    // selection or, with nothing selected, pauses; N starts the first wave of a game that waits for
    // it. A window that loses the focus pauses the game.
    void ApplyPlayerKeys();
    sf::View lastView;
};
