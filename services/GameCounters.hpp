#pragma once
// The player-facing counters of one game and the flags and timers of the heads-up display's
// short-lived texts. The gameplay writes them (rewards, payments, waves) and the UI shows them;
// UIManager exposes the very same fields under its own names.

#include <SFML/System/Vector2.hpp>

#include <array>
#include <cstdint>
#include <string>

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

    // Beside the design's counters: what the lose screen tells of the game, counted from its
    // start, and the short text that says why a click did nothing.
    struct Statistics
    {
        float timeSurvived = 0.f;                  // seconds of the game's time
        std::array<std::int32_t, 3> killsByKind{}; // weak, middle, hard enemies
        std::int32_t towersBuilt = 0;
        std::int32_t goldEarned = 0;    // from kills
        std::int32_t goldSpent = 0;     // on towers, upgrades and repairs, less what selling gave back
        std::int32_t bestTowerKind = 0; // the tower with the most kills: its kind (0: none yet)
        std::int32_t bestTowerKills = 0;
    };
    struct Refusal
    {
        std::string text;  // empty: none shown
        sf::Vector2f at;   // world pixels, where the pointer was
        float timer = 0.f; // seconds left on screen
    };
    // What the keep lost lately, for the HUD's flash and the short "-20" at the keep: hits that
    // come while it shows add up, as the change texts do.
    struct KeepHit
    {
        std::int64_t lost = 0; // hit points
        sf::Vector2f at;       // world pixels: the keep
        float timer = 0.f;     // seconds left on screen
    };
    void BeginGame() { statistics = {}, refusal = {}, keepHit = {}; }
    // An enemy of kind 0..2 was killed (by a shot; reaching the keep is no kill).
    void CountKill(int enemyKind);
    // A tower of kind 1..3 now has this many kills.
    void CountTowerKills(int towerKind, std::int32_t kills);
    // Gold back from a sold tower: the money grows and the change text shows it, and it is no
    // longer counted as spent.
    void Refund(std::int32_t amount);
    // Says at the pointer why nothing happened, with a soft sound.
    void Refuse(const std::string& text, sf::Vector2f at);
    // The keep at at lost this many hit points.
    void HitKeep(std::int64_t lost, sf::Vector2f at);
    Statistics statistics;
    Refusal refusal;
    KeepHit keepHit;
    static constexpr float RefusalSeconds = 1.2f;
    static constexpr float KeepHitSeconds = 1.f;

    std::int32_t money = 0;
    std::int32_t score = 0;
    std::int32_t wave = 0;
    bool waveTextActive = false;
    float waveTextTimer = 2.f; // seconds
    bool changeTextActive = false;
    std::int32_t moneyChange = 0;
    std::int32_t scoreChange = 0;
    float changeTextTimer = 1.f; // seconds

    static constexpr float WaveTextSeconds = 2.f;
    static constexpr float ChangeTextSeconds = 1.f;

private:
    GameCounters() = default;
};
