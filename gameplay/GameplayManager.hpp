#pragma once
// The rules that turn contacts into consequences (damage, rewards, targets, building
// permission, upgrades), the enemies' path, and whether a game is running.

#include "gameplay/Levels.hpp"
#include "gameplay/Tables.hpp"

#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>

class CollisionComponent;
class EnemySpawnerComponent;
class GameObject;
class InputComponent;

// Whether the cursor touching this collider forbids building there: the keep, an obstacle or a
// tower's platform (not its reach). The contact rules and the build preview ask the same.
bool BlocksBuilding(const CollisionComponent& collider);

class GameplayManager
{
public:
    struct Waypoint
    {
        std::int32_t index = 0; // place along the path
        sf::Vector2f position;  // pixels
    };

    static GameplayManager& instance();

    // Called by both colliders of every contact, each time with itself as self. The physics
    // step reaches it only for pairs of objects on which a rule can act (kinds, once per
    // collider); any other pair changes nothing here.
    void HandleCollision(CollisionComponent& self, CollisionComponent& other);
    void HandleCollision(CollisionComponent* self, const std::shared_ptr<CollisionComponent>& other);
    // Back to a process that has played no game: not running, no path, no cursor, the time as
    // the wave seed.
    void Reset() { *this = GameplayManager(); }
    // Inserts a waypoint and keeps the path sorted by index (stable: equal indices keep their
    // order of insertion). Cheap for waypoints handed in by index.
    void AddWaypoint(std::int32_t index, sf::Vector2f position);

    bool running = false;
    // The player's controls beside the rules: a paused game's world stands still, and at speed
    // 2 or 3 each frame runs that many whole steps of the world, each with the frame's time.
    bool paused = false;
    int speed = 1;
    static constexpr int FastestSpeed = 3;
    // A left click upgrades at most one object: set by the first upgrade it tries in a physics
    // step (the gameplay state clears it before each step).
    bool upgradeClickSpent = false;
    std::list<std::shared_ptr<Waypoint>> waypoints;
    std::shared_ptr<InputComponent> cursorInput;
    // The level's (first) spawner, for the HUD's wave countdown.
    std::weak_ptr<EnemySpawnerComponent> spawner;
    // The tower or keep whose card is open: the cursor's preview draws its reach.
    std::weak_ptr<GameObject> inspected;
    // Where the first games' hint says to build: the cursor's preview marks it.
    std::optional<sf::Vector2f> hintSpot;
    // The game the gameplay state starts (and plays): the level and the difficulty, chosen on the
    // level select or kept from the last game. The game as it has always been is the first level
    // on Normal.
    LevelId level = FirstLevel();
    Difficulty difficulty = Difficulty::Normal;
    // On a difficulty that waits for the player, no wave begins until the Start button or N.
    bool wavesHeld = false;
    // Where a spawner's first wave seeds the process random generator from: the time. Tests may
    // hand in a fixed seed.
    std::function<unsigned()> seedSource;

    // Living enemies at most. At the bound every spawner waits (its queue keeps its enemies, its
    // timer its pace) until enemies die, so that no level, however made (64 spawners on one spot,
    // 10,000 a wave, a tick every other frame), grows the game past its memory: each living enemy
    // holds about 30 KB with its health bar and contacts. Twenty minutes on a shipped level have at most
    // 70 alive at once.
    static constexpr std::int32_t MaxLiveEnemies = 1000;
    // The game always uses MaxLiveEnemies; the benchmark lifts it to measure its huge world.
    std::int32_t liveEnemyBound = MaxLiveEnemies;
    // The living enemies as counted at the start of the world's step, plus those released in it.
    std::int32_t liveEnemies = 0;
    // Whether this game has said (once, on standard output) that its spawners wait at the bound.
    bool enemyBoundSaid = false;
    // Counts the living enemies of the registry into liveEnemies; each step of the world begins
    // with it.
    void CountLiveEnemies();

private:
    GameplayManager();
};
