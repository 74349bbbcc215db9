#pragma once
// The player-facing counters of one game and the flags and timers of the heads-up display's
// short-lived texts. The gameplay writes them (rewards, payments, waves) and the UI shows them;
// UIManager exposes the very same fields under its own names.

#include <cstdint>

class GameCounters
{
public:
    static GameCounters& instance();

    // Every change of money or score during play also feeds the change texts.
    void ChangeMoney(std::int32_t amount);
    void ChangeScore(std::int32_t amount);
    // A wave begins: the counter grows and the announcement starts.
    void BeginWave();
    // Ends the wave announcement and the change texts, so a game that is left takes none of
    // them into the next one.
    void ClearTransientTexts();
    // Back to the values of a process that has played no game.
    void Reset() { *this = GameCounters(); }

    std::int32_t money = 0;
    std::int32_t score = 0;
    std::int32_t wave = 0;
    bool waveTextActive = false;
    float waveTextTimer = 2.f; // seconds
    bool changeTextActive = false;
    std::int32_t moneyChange = 0;
    std::int32_t scoreChange = 0;
    float changeTextTimer = 1.f; // seconds
    float timeSurvived = 0.f;    // seconds of the game's time since it started

    static constexpr float WaveTextSeconds = 2.f;
    static constexpr float ChangeTextSeconds = 1.f;

private:
    GameCounters() = default;
};
