// varnhold_playtest: the scripted players that measure the levels and difficulties.
//
//   varnhold_playtest orders LEVEL PLAYER
//       prints the player's build order for the level, one action a line: "B|S|G|U PRICE X Y"
//       (build a bullet, small rocket or big rocket tower at X Y, or upgrade the tower there),
//       worked out from the level's map. tools/playtest/play_real.sh plays it in the real binary.
//   varnhold_playtest play LEVEL DIFFICULTY PLAYER [LAST_WAVE]
//       plays the order through the game's own frames (a hidden window, 1/60 s steps, three steps
//       a frame as at 3x) with clicks handed in as the mouse would give them, until the keep falls
//       or LAST_WAVE is over, and prints the wave reached. For tuning; the figures in the README
//       come from the real binary.
//
// LEVEL is a level's key ("game.tmj", "1-twin-gates.tmj"...), DIFFICULTY easy|normal|hard, PLAYER
// new (a bullet tower wherever gold allows, beside the road from its entrance on, never an
// upgrade) or good (towers where they reach the most road, bends first, then upgrades, then
// rocket towers). Run from the build folder: the levels are read from ../assets/.

#include "app/Game.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Levels.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Rect.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
struct Order
{
    char what; // B, S, G: build that kind; U: upgrade the tower at the spot
    int price;
    sf::Vector2i at;
};

constexpr float Reach = TowerNumbers::DetectionRadius;
constexpr float TowerSide = 66.f;  // a tower's 64-pixel box and a pixel to spare on each side
constexpr float BesideRoad = 64.f; // how far from the road's middle a new player builds, at least
constexpr float RoadStep = 10.f;   // pixels between two samples of the road

int KindOf(char what)
{
    return what == 'B' ? BulletTower : what == 'S' ? SmallRocketTower : BigRocketTower;
}

// The level's ground as a player sees it: where nothing may be built, and the road.
struct Ground
{
    std::vector<sf::FloatRect> blocked;
    std::vector<sf::Vector2f> road; // samples, from the farthest spawner to the keep
    sf::Vector2f size;

    explicit Ground(const LevelEntry& level)
    {
        std::vector<const LevelObject*> path;
        sf::Vector2f farthestGate;
        float farthest = -1.f;
        for (const auto& object : level.plan.objects)
        {
            if (object.kind == LevelObject::Kind::Obstacle)
                blocked.emplace_back(static_cast<float>(object.x), static_cast<float>(object.y),
                                     static_cast<float>(object.w), static_cast<float>(object.h));
            if (object.kind == LevelObject::Kind::Base)
                blocked.emplace_back(object.Centre() - sf::Vector2f(48.f, 48.f), sf::Vector2f(96.f, 96.f));
            if (object.kind == LevelObject::Kind::Waypoint)
                path.push_back(&object);
        }
        std::stable_sort(path.begin(), path.end(),
                         [](const auto* a, const auto* b) { return a->index < b->index; });
        for (const auto& object : level.plan.objects)
        {
            if (object.kind != LevelObject::Kind::Spawner || path.empty())
                continue;
            const sf::Vector2f d = object.Centre() - path.front()->Centre();
            if (std::hypot(d.x, d.y) > farthest)
                farthest = std::hypot(d.x, d.y), farthestGate = object.Centre();
        }
        std::vector<sf::Vector2f> corners = {farthestGate};
        for (const auto* waypoint : path)
            corners.push_back(waypoint->Centre());
        for (std::size_t i = 1; i < corners.size(); ++i)
        {
            const sf::Vector2f d = corners[i] - corners[i - 1];
            const int steps = std::max(1, static_cast<int>(std::hypot(d.x, d.y) / RoadStep));
            for (int s = 0; s < steps; ++s)
                road.push_back(corners[i - 1] + d * (static_cast<float>(s) / static_cast<float>(steps)));
        }
        size = {1280.f, 720.f};
    }

    bool Free(sf::Vector2f at, const std::vector<sf::Vector2f>& towers) const
    {
        const sf::FloatRect box(at - sf::Vector2f(TowerSide, TowerSide) / 2.f, {TowerSide, TowerSide});
        if (box.left < 0.f || box.top < 80.f || box.left + box.width > size.x ||
            box.top + box.height > size.y)
            return false;
        for (const auto& rect : blocked)
            if (rect.intersects(box))
                return false;
        for (const auto& tower : towers)
            if (std::abs(tower.x - at.x) < TowerSide && std::abs(tower.y - at.y) < TowerSide)
                return false;
        return true;
    }
    // Samples of the road within a tower's reach: how much of the road a tower there covers.
    int Coverage(sf::Vector2f at) const
    {
        return static_cast<int>(std::count_if(road.begin(), road.end(),
                                              [at](sf::Vector2f p)
                                              { return std::hypot(p.x - at.x, p.y - at.y) <= Reach; }));
    }
    // The sample of the road nearest to the spot, and how far it is.
    std::pair<std::size_t, float> Nearest(sf::Vector2f at) const
    {
        std::size_t best = 0;
        float distance = 1e9f;
        for (std::size_t i = 0; i < road.size(); ++i)
        {
            const float d = std::hypot(road[i].x - at.x, road[i].y - at.y);
            if (d < distance)
                best = i, distance = d;
        }
        return {best, distance};
    }
};

std::vector<sf::Vector2f> Candidates(const Ground& ground)
{
    std::vector<sf::Vector2f> spots;
    for (float y = 80.f + TowerSide / 2.f; y <= ground.size.y - TowerSide / 2.f; y += 10.f)
        for (float x = TowerSide / 2.f; x <= ground.size.x - TowerSide / 2.f; x += 10.f)
            if (ground.Free({x, y}, {}))
                spots.push_back({x, y});
    return spots;
}

// The good player's spots: greedy, the most road within reach first (the bends).
std::vector<sf::Vector2f> BestSpots(const Ground& ground, std::size_t most)
{
    std::vector<std::pair<int, sf::Vector2f>> ranked;
    for (const auto& spot : Candidates(ground))
        ranked.push_back({ground.Coverage(spot), spot});
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<sf::Vector2f> chosen;
    for (const auto& [coverage, spot] : ranked)
    {
        if (chosen.size() >= most || coverage == 0)
            break;
        if (ground.Free(spot, chosen))
            chosen.push_back(spot);
    }
    return chosen;
}

// The new player's spots: right beside the road, from its entrance on, a little apart.
std::vector<sf::Vector2f> RoadsideSpots(const Ground& ground)
{
    std::vector<std::pair<std::size_t, sf::Vector2f>> beside;
    for (const auto& spot : Candidates(ground))
    {
        const auto [sample, distance] = ground.Nearest(spot);
        if (distance >= BesideRoad && distance < BesideRoad + 10.f)
            beside.push_back({sample, spot});
    }
    std::stable_sort(beside.begin(), beside.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<sf::Vector2f> chosen;
    std::size_t lastSample = 0;
    for (const auto& [sample, spot] : beside)
    {
        if (!chosen.empty() && sample < lastSample + 12)
            continue;
        if (ground.Free(spot, chosen))
            chosen.push_back(spot), lastSample = sample;
    }
    return chosen;
}

sf::Vector2i Pixel(sf::Vector2f at)
{
    return {static_cast<int>(std::lround(at.x)), static_cast<int>(std::lround(at.y))};
}

std::vector<Order> Orders(const LevelEntry& level, const std::string& player)
{
    const Ground ground(level);
    std::vector<Order> orders;
    if (player == "new")
    {
        for (const auto& spot : RoadsideSpots(ground))
            orders.push_back({'B', TowerPrice(BulletTower), Pixel(spot)});
        return orders;
    }
    // The good player: sixteen bullet towers where they reach the most road (the bends first),
    // then their upgrades round by round; then small rocket towers with their upgrades on the next
    // spots, then big ones.
    const std::vector<sf::Vector2f> spots = BestSpots(ground, 24);
    std::size_t next = 0;
    struct Built
    {
        sf::Vector2i at;
        int kind;
        int level;
    };
    std::vector<Built> built;
    const auto build = [&](char what)
    {
        if (next >= spots.size())
            return false;
        orders.push_back({what, TowerPrice(KindOf(what)), Pixel(spots[next])});
        built.push_back({Pixel(spots[next]), KindOf(what), 1});
        ++next;
        return true;
    };
    // Each tower of the kind one level up (its price by its own level), as far as it goes.
    const auto upgradeAll = [&](int kind)
    {
        for (Built& tower : built)
        {
            if (tower.kind != kind || tower.level > UpgradeLimit(kind))
                continue;
            orders.push_back({'U', TowerTypeOf(kind)->upgradePrice * tower.level, tower.at});
            ++tower.level;
        }
    };
    for (int i = 0; i < 16 && build('B'); ++i)
    {
    }
    for (int round = 0; round < UpgradeLimit(BulletTower); ++round)
        upgradeAll(BulletTower);
    for (int i = 0; i < 6 && build('S'); ++i)
    {
    }
    for (int round = 0; round < UpgradeLimit(SmallRocketTower); ++round)
        upgradeAll(SmallRocketTower);
    while (build('G'))
    {
    }
    return orders;
}

std::optional<LevelEntry> FindListed(const std::string& key)
{
    for (auto& level : ListLevels(false))
        if (level.id.key == key)
            return level;
    std::cerr << "varnhold_playtest: no level \"" << key << "\" in ../assets/" << std::endl;
    return std::nullopt;
}

// The running game in a hidden window, in a scratch copy of the assets (the lose screen writes the
// records), played by the orders.
int Play(const std::string& key, Difficulty difficulty, const std::string& player, int lastWave)
{
    const fs::path source = fs::current_path() / ".." / "assets";
    const fs::path root = fs::temp_directory_path() / ("varnhold-playtest-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "run");
    fs::copy(source, root / "assets", fs::copy_options::recursive);
    fs::current_path(root / "run");

    const auto level = FindListed(key);
    if (!level)
        return 2;
    std::vector<Order> orders = Orders(*level, player);

    auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(WorldWidth, WorldHeight, 32), "playtest",
                                                     sf::Style::None);
    window->setVisible(false);
    Game game{window, InputManager::instance(), AssetManager::instance(), GameStateManager::instance(),
              UIManager::instance()};
    auto& ui = UIManager::instance();
    ui.window = window;
    ui.gui->setTarget(*window);
    auto& input = InputManager::instance();
    input.window = window;
    input.BindDefaults();
    sf::Vector2i mouse(640, 700);
    input.mouseSource = [&mouse]
    {
        return mouse;
    };
    RenderManager::instance().SeedLayers();
    LoadGameAssets(AssetManager::instance());
    ui.gui->setFont(AssetManager::instance().fonts["arial"]);
    auto& gameplay = GameplayManager::instance();
    // One game the same every run; PLAYTEST_SEED plays another.
    const char* seed = std::getenv("PLAYTEST_SEED");
    const unsigned seedValue = seed ? static_cast<unsigned>(std::stoul(seed)) : 20240601u;
    gameplay.seedSource = [seedValue]
    {
        return seedValue;
    };
    gameplay.level = level->id;
    gameplay.difficulty = difficulty;
    GameStateManager::instance().AddState("GamePlay", &game.gamePlay);
    GameStateManager::instance().ChangeState("GamePlay");
    gameplay.speed = GameplayManager::FastestSpeed;

    auto& counters = GameCounters::instance();
    const auto towers = []
    {
        int count = 0;
        for (const auto& object : GameObjectManager::instance().objects)
            count += object->alive && object->type == ObjectType::Tower;
        return count;
    };
    long frames = 0;
    // One frame; the clicks set in act are this frame's poll, which the next frame's update sees.
    const auto frame = [&](const std::function<void()>& act)
    {
        FrameOptions options;
        options.picture = ++frames % 60 == 0 ? FrameOptions::Picture::Drawn : FrameOptions::Picture::Placed;
        options.poll = [&act](Game&)
        {
            act();
        };
        game.Frame(1.f / 60.f, options);
    };
    std::size_t done = 0;
    int skipped = 0;
    float lastAction = -1.f;
    while (gameplay.running && counters.wave <= lastWave)
    {
        // A player acts at most twice a second of the game's time (an upgrade waits for the
        // tower's short lock anyway).
        const float now = counters.statistics.timeSurvived;
        const bool ready = done < orders.size() && (now - lastAction >= 0.5f || gameplay.wavesHeld);
        if (ready && counters.money >= orders[done].price)
        {
            const Order action = orders[done++];
            const int towersBefore = towers();
            const std::int32_t moneyBefore = counters.money;
            if (auto& cursor = gameplay.cursorInput)
                cursor->selectedTower = action.what == 'U' ? NoTower : KindOf(action.what);
            mouse = action.at;
            frame([] {});
            frame([&input] { input.mousePressed[sf::Mouse::Left] = true; });
            frame([] {});
            frame([] {});
            mouse = {640, 700};
            const bool worked = action.what == 'U' ? counters.money < moneyBefore : towers() > towersBefore;
            if (!worked)
            {
                ++skipped;
                if (auto& cursor = gameplay.cursorInput)
                    cursor->selectedTower = NoTower;
            }
            lastAction = now;
            continue;
        }
        // On a difficulty that waits, Start once the gold buys nothing more.
        if (gameplay.wavesHeld && (done >= orders.size() || counters.money < orders[done].price))
            gameplay.wavesHeld = false;
        frame([] {});
    }
    if (std::getenv("PLAYTEST_DEBUG"))
        for (const auto& object : GameObjectManager::instance().objects)
            if (object->alive && object->type == ObjectType::Tower)
            {
                const auto status = object->GetComponent<StatusComponent>();
                std::cerr << "tower at " << object->getPosition().x << "," << object->getPosition().y
                          << " kills " << status->kills << " damage " << status->damage << " interval "
                          << status->fireInterval << std::endl;
            }
    const bool lost = !gameplay.running;
    std::cout << key << " " << DifficultyOf(difficulty).key << " " << player << ": "
              << (lost ? "lost in wave " : "still standing after wave ") << (lost ? counters.wave : lastWave)
              << ", score " << counters.score << ", " << towers() << " towers, " << done << " of "
              << orders.size() << " orders (" << skipped << " refused), "
              << static_cast<int>(counters.statistics.timeSurvived) << " s of game time" << std::endl;
    GameStateManager::instance().Reset();
    window->close();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "orders" && (args[2] == "new" || args[2] == "good"))
    {
        const auto level = FindListed(args[1]);
        if (!level)
            return 2;
        for (const Order& action : Orders(*level, args[2]))
            std::cout << action.what << " " << action.price << " " << action.at.x << " " << action.at.y
                      << "\n";
        return 0;
    }
    if ((args.size() == 4 || args.size() == 5) && args[0] == "play" && DifficultyNamed(args[2]) &&
        (args[3] == "new" || args[3] == "good"))
        return Play(args[1], *DifficultyNamed(args[2]), args[3], args.size() == 5 ? std::stoi(args[4]) : 40);
    std::cerr << "usage: varnhold_playtest orders LEVEL new|good\n"
                 "       varnhold_playtest play LEVEL easy|normal|hard new|good [LAST_WAVE]"
              << std::endl;
    return 2;
}
