#include "app/services/GameCounters.hpp"

GameCounters& GameCounters::instance()
{
    static GameCounters counters;
    return counters;
}

void GameCounters::ChangeMoney(std::int32_t amount)
{
    money += amount;
    moneyChange += amount;
    changeTextActive = true;
    changeTextTimer = ChangeTextSeconds;
}

void GameCounters::ChangeScore(std::int32_t amount)
{
    score += amount;
    scoreChange += amount;
    changeTextActive = true;
    changeTextTimer = ChangeTextSeconds;
}

void GameCounters::BeginWave()
{
    wave += 1;
    waveTextActive = true;
    waveTextTimer = WaveTextSeconds;
}

void GameCounters::ClearTransientTexts()
{
    waveTextActive = false;
    waveTextTimer = WaveTextSeconds;
    changeTextActive = false;
    moneyChange = 0;
    scoreChange = 0;
    changeTextTimer = ChangeTextSeconds;
}
