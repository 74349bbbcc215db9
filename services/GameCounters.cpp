#include "services/GameCounters.hpp"

#include "services/SoundManager.hpp"

GameCounters& GameCounters::instance()
{
    static GameCounters counters;
    return counters;
}

void GameCounters::ChangeMoney(std::int32_t amount)
{
    (amount > 0 ? statistics.goldEarned : statistics.goldSpent) += amount > 0 ? amount : -amount;
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

void GameCounters::CountKill(int enemyKind)
{
    if (enemyKind >= 0 && enemyKind < static_cast<int>(statistics.killsByKind.size()))
        ++statistics.killsByKind[static_cast<std::size_t>(enemyKind)];
}

void GameCounters::CountTowerKills(int towerKind, std::int32_t kills)
{
    if (kills > statistics.bestTowerKills)
    {
        statistics.bestTowerKills = kills;
        statistics.bestTowerKind = towerKind;
    }
}

void GameCounters::Refund(std::int32_t amount)
{
    ChangeMoney(amount);
    statistics.goldEarned -= amount;
    statistics.goldSpent -= amount;
}

void GameCounters::HitKeep(std::int64_t lost, sf::Vector2f at)
{
    keepHit.lost = keepHit.timer > 0.f ? keepHit.lost + lost : lost;
    keepHit.at = at;
    keepHit.timer = KeepHitSeconds;
}

void GameCounters::Refuse(const std::string& text, sf::Vector2f at)
{
    refusal = {text, at, RefusalSeconds};
    SoundManager::instance().PlaySound("refuse", 40.f);
}
