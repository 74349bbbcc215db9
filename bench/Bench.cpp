// varnhold_bench: runs the real gameplay state (GamePlay::Init with a benchmark map, then the
// game's own frames, Game::Frame) in a real window at a fixed dt of 1/60 s and
// prints one line of figures per scenario. Each scenario runs in its own child process, so the
// peak resident memory is that scenario's alone. Run it under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x720x24" env ALSOFT_DRIVERS=null ./varnhold_bench
//   [small|large|huge|long]...
// Each measured frame is drawn twice: by the game, then the same picture the cheapest way (the
// rasteriser's floor, DrawFloor), so the line shows how far the game's draw is from it.

#include "app/Game.hpp"
#include "app/GamePlay.hpp"
#include "bench/DrawCounter.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "entities/TileBatches.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <typeinfo>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr float Dt = 1.f / 60.f;
constexpr int FramesPerMinute = 3600;

struct Scenario
{
    const char* name;
    const char* map;       // in bench/maps
    int towers;            // placed at fixed spots before the first frame
    int enemyGoal;         // live enemies before measuring (small and large)
    int maxWarmFrames;     // give up waiting for the goal after this many frames
    int measureFrames;     // measured frames (small and large)
    int minutes;           // simulated minutes (long)
    int drawEvery;         // long: draw one frame in this many
    int wallBudgetSeconds; // long: stop early when the wall clock passes this
};

const Scenario scenarios[] = {
    {"small", "small", 10, 100, 12000, 600, 0, 1, 0},
    {"large", "large", 100, 1000, 12000, 300, 0, 1, 0},
    {"huge", "huge", 300, 5000, 20000, 300, 0, 1, 0},
    {"long", "long", 20, 0, 0, 0, 30, 60, 480},
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

double Mean(const std::vector<double>& values)
{
    double sum = 0.;
    for (double v : values)
        sum += v;
    return values.empty() ? 0. : sum / static_cast<double>(values.size());
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.;
}

struct Census
{
    int live = 0, dead = 0, liveEnemies = 0, liveProjectiles = 0;
};

Census Count()
{
    Census c;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (!object->alive)
        {
            ++c.dead;
            continue;
        }
        ++c.live;
        c.liveEnemies += object->type == ObjectType::Enemy;
        c.liveProjectiles += object->type == ObjectType::Projectile;
    }
    return c;
}

// Contacts of this frame between a projectile and an enemy: the shots that hit.
std::size_t ShotHits()
{
    std::size_t hits = 0;
    for (const auto& contact : PhysicsManager::instance().contacts)
    {
        const int a = contact.first->GetOwner()->type, b = contact.second->GetOwner()->type;
        hits += (a == ObjectType::Projectile && b == ObjectType::Enemy) ||
                (a == ObjectType::Enemy && b == ObjectType::Projectile);
    }
    return hits;
}

// Enemies killed by the towers' shots so far.
int TowerKills()
{
    int kills = 0;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (object->type == ObjectType::Tower)
            kills += object->GetComponent<StatusComponent>()->kills;
    }
    return kills;
}

// The reference switch exists only once the faster detection does; the "before" build has none.
template <class Physics>
bool UseReference(Physics& physics, bool on)
{
    if constexpr (requires { physics.useReference = on; })
    {
        physics.useReference = on;
        return true;
    }
    else
    {
        return false;
    }
}

class Bench
{
public:
    explicit Bench(const Scenario& scenario) : scenario(scenario)
    {
        const fs::path source(VARNHOLD_SOURCE_DIR);
        root = fs::temp_directory_path() / ("varnhold-bench-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "run");
        fs::copy(source / "assets", root / "assets", fs::copy_options::recursive);
        fs::copy_file(source / "bench" / "maps" / (std::string(scenario.map) + ".tmj"),
                      root / "assets" / "game.tmj", fs::copy_options::overwrite_existing);
        fs::current_path(root / "run");

        // No frame cap and no vertical sync: the benchmark measures the cost of a frame.
        auto& ui = UIManager::instance();
        ui.window = window;
        ui.gui->setTarget(*window);
        auto& input = InputManager::instance();
        input.window = window;
        input.BindDefaults();
        // The cursor rests on the first tower: the building rules run every frame.
        input.mouseSource = []
        {
            return sf::Vector2i(TowerSpot(0).x, TowerSpot(0).y);
        };
        RenderManager::instance().SeedLayers();
        LoadGameAssets(AssetManager::instance());
        ui.gui->setFont(AssetManager::instance().fonts["arial"]);
        GameplayManager::instance().seedSource = []
        {
            return 20261208u;
        };
        // The game's frames drive the running game, which Init enters without the main menu.
        GameStateManager::instance().AddState("GamePlay", &game.gamePlay);
        GameStateManager::instance().currentState = &game.gamePlay;
    }

    ~Bench()
    {
        window->close();
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(root, ignored);
    }

    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // Towers on the lines between the path's rows, 70 pixels apart, kinds 1, 2, 3 in turn: 17 a
    // line, or 35 on the huge map, which is twice as wide.
    static sf::Vector2i TowerSpot(int i, int towers = 1)
    {
        const int perLine = towers > 7 * 17 ? 35 : 17;
        return {75 + 70 * (i % perLine), 180 + 80 * (i / perLine)};
    }

    void StartGame()
    {
        game.gamePlay.Init();
        // The huge world measures the grid at 5000 living enemies, past the game's own bound.
        if (scenario.enemyGoal > GameplayManager::MaxLiveEnemies)
            GameplayManager::instance().liveEnemyBound = std::numeric_limits<std::int32_t>::max();
        for (int i = 0; i < scenario.towers; ++i)
        {
            const sf::Vector2i at = TowerSpot(i, scenario.towers);
            CreateTower(1 + i % 3, static_cast<float>(at.x), static_cast<float>(at.y));
        }
        frame = 0;
    }

    void EndGame() { game.gamePlay.Exit(); }

    struct Sample
    {
        double updateMs = 0., drawMs = 0., floorMs = 0.;
        std::size_t contacts = 0, hits = 0;
        std::uint64_t drawCalls = 0;
    };

    Sample Step(bool draw)
    {
        Sample sample;
        FrameOptions options;
        options.picture = draw ? FrameOptions::Picture::Shown : FrameOptions::Picture::Placed;
        FrameOptions::Times times;
        options.times = &times;
        // The window's events as the game handles them, but for the loss of focus, which pauses
        // the game: under Xvfb without a window manager the window is never given the focus.
        options.poll = [](Game& running)
        {
            sf::Event event;
            while (running.window->pollEvent(event))
            {
                if (event.type != sf::Event::LostFocus)
                    running.HandleEvent(event);
            }
        };
        const std::uint64_t before = DrawCallsSoFar();
        game.Frame(Dt, options);
        sample.updateMs = times.updateMs;
        sample.contacts = PhysicsManager::instance().contacts.size();
        sample.hits = ShotHits();
        if (draw)
        {
            sample.drawMs = times.pictureMs;
            sample.drawCalls = DrawCallsSoFar() - before;
            if (floor)
                sample.floorMs = DrawFloor();
        }
        ++frame;
        return sample;
    }

    // The same picture drawn the cheapest way: the tile layers as one texture rendered once, every
    // sprite of one texture in one vertex array, every health bar's rectangles in one array, and
    // the few other world components (build preview, a tower's reach) and the rest of the widgets
    // as the game draws them. Returns its milliseconds, clear to display.
    double DrawFloor()
    {
        using Clock = std::chrono::steady_clock;
        const auto started = Clock::now();
        auto& render = RenderManager::instance();
        const sf::View gameView = window->getView();
        if (!floorTiles)
        {
            // Rendered once: what the tile layers draw in the game's view, in window pixels.
            floorTiles = std::make_unique<sf::RenderTexture>();
            floorTiles->create(window->getSize().x, window->getSize().y);
            floorTiles->setView(gameView);
            floorTiles->clear(sf::Color::Black);
            for (const auto& [layer, visible] : render.layers)
            {
                for (const auto& component : render.components)
                {
                    const auto* tiles = dynamic_cast<const TiledLayerComponent*>(component.get());
                    if (visible && tiles && component->GetLayer() == layer)
                        for (const auto& tile : tiles->tiles)
                            floorTiles->draw(*tile);
                }
            }
            floorTiles->display();
        }
        window->clear(sf::Color::Black);
        window->setView(window->getDefaultView());
        window->draw(sf::Sprite(floorTiles->getTexture()));
        window->setView(gameView);

        std::map<const sf::Texture*, sf::VertexArray> byTexture;
        std::vector<RenderComponent*> others; // drawn as the game draws them, over the sprites
        for (const auto& [layer, visible] : render.layers)
        {
            if (!visible)
                continue;
            for (const auto& component : render.components)
            {
                RenderComponent& drawn = *component;
                if (component->GetLayer() != layer || typeid(drawn) == typeid(TiledLayerComponent))
                    continue;
                if (typeid(drawn) != typeid(SpriteRenderComponent))
                {
                    others.push_back(component.get()); // the build preview, a tower's reach
                    continue;
                }
                const sf::Sprite* sprite = static_cast<SpriteRenderComponent&>(drawn).Place();
                if (sprite && sprite->getTexture())
                {
                    auto& vertices = byTexture.try_emplace(sprite->getTexture(), sf::Triangles).first->second;
                    AppendSpriteQuad(*sprite, vertices);
                }
            }
        }
        for (const auto& [texture, vertices] : byTexture)
            window->draw(vertices, sf::RenderStates(texture));
        for (RenderComponent* other : others)
            other->Draw(window);

        // Health bars: frame, background and fill of each, in one array; then the other widgets.
        sf::VertexArray bars(sf::Triangles);
        const auto quad = [&bars](sf::FloatRect r, sf::Color color)
        {
            const sf::Vector2f a(r.left, r.top), b(r.left + r.width, r.top), c(r.left, r.top + r.height),
                d(r.left + r.width, r.top + r.height);
            for (const sf::Vector2f p : {a, b, c, c, b, d})
                bars.append(sf::Vertex(p, color));
        };
        std::vector<vgui::ProgressBar*> hidden;
        for (const auto& object : GameObjectManager::instance().objects)
        {
            vgui::ProgressBar* bar = object->healthBar.get();
            if (!object->HasHealthBar() || !bar->isVisible())
                continue;
            const sf::Vector2f at = bar->getPosition(), scale = bar->getScale(), size = bar->getSize();
            const sf::FloatRect outer(at.x, at.y, size.x * scale.x, size.y * scale.y);
            // The border GameObject gives its bar, in the bar's units.
            constexpr float border = 4.f;
            const sf::FloatRect inner(outer.left + border * scale.x, outer.top + border * scale.y,
                                      outer.width - 2.f * border * scale.x,
                                      outer.height - 2.f * border * scale.y);
            const unsigned span = bar->getMaximum() - bar->getMinimum();
            const float share =
                span > 0 ? static_cast<float>(bar->getValue() - bar->getMinimum()) / static_cast<float>(span)
                         : 1.f;
            quad(outer, bar->getRenderer()->getBorderColor());
            quad(inner, bar->getRenderer()->getBackgroundColor());
            quad({inner.left, inner.top, inner.width * share, inner.height},
                 bar->getRenderer()->getFillColor());
            bar->setVisible(false);
            hidden.push_back(bar);
        }
        window->draw(bars);
        UIManager::instance().gui->draw();
        for (vgui::ProgressBar* bar : hidden)
            bar->setVisible(true);
        window->display();
        return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    }

    // Frames until the live enemies reach the goal (or the frame limit).
    void WarmUp(int goal, int maxFrames)
    {
        while (frame < maxFrames && Count().liveEnemies < goal)
            Step(false);
    }

    void WarmUpFrames(int frames)
    {
        while (frame < frames)
            Step(false);
    }

    const Scenario& scenario;
    fs::path root;
    std::shared_ptr<sf::RenderWindow> window =
        std::make_shared<sf::RenderWindow>(sf::VideoMode(WorldWidth, WorldHeight, 32), "Varnhold bench");
    Game game{window, InputManager::instance(), AssetManager::instance(), GameStateManager::instance(),
              UIManager::instance()};
    int frame = 0;
    bool floor = true; // draw the rasteriser's floor after each drawn frame
    std::unique_ptr<sf::RenderTexture> floorTiles;
};

struct Measured
{
    std::vector<double> update, draw, floor, frameMs, contacts, drawCalls, liveEnemies, liveProjectiles;
    std::size_t hits = 0;
    int kills = 0;
};

Measured MeasureFrames(Bench& bench, int frames, bool draw)
{
    Measured m;
    const int killsBefore = TowerKills();
    for (int i = 0; i < frames; ++i)
    {
        const Bench::Sample s = bench.Step(draw);
        m.update.push_back(s.updateMs);
        m.draw.push_back(s.drawMs);
        m.floor.push_back(s.floorMs);
        m.frameMs.push_back(s.updateMs + s.drawMs);
        m.contacts.push_back(static_cast<double>(s.contacts));
        m.drawCalls.push_back(static_cast<double>(s.drawCalls));
        const Census c = Count();
        m.liveEnemies.push_back(c.liveEnemies);
        m.liveProjectiles.push_back(c.liveProjectiles);
        m.hits += s.hits;
    }
    m.kills = TowerKills() - killsBefore;
    return m;
}

std::string GameSummary()
{
    const auto& ui = UIManager::instance();
    const Census c = Count();
    return "wave " + std::to_string(ui.wave) + " score " + std::to_string(ui.score) + " money " +
           std::to_string(ui.money) + " live " + std::to_string(c.live) + " dead " + std::to_string(c.dead);
}

void PrintWorld(const char* name, const Measured& m)
{
    const Census c = Count();
    std::printf(
        "%s: frames %zu, live %d (enemies %d, projectiles %d), dead %d, colliders %zu, contacts/frame %.0f, "
        "hits %zu, kills %d, live projectiles/frame %.1f, "
        "update ms median %.3f p99 %.3f, draw ms median %.3f p99 %.3f, frame ms median %.3f, "
        "draw calls/frame %.0f, floor draw ms median %.3f, draw/floor %.2fx, ns/contact %.1f",
        name, m.update.size(), c.live, c.liveEnemies, c.liveProjectiles, c.dead,
        PhysicsManager::instance().colliders.size(), Mean(m.contacts), m.hits, m.kills,
        Mean(m.liveProjectiles), Percentile(m.update, 0.5), Percentile(m.update, 0.99),
        Percentile(m.draw, 0.5), Percentile(m.draw, 0.99), Percentile(m.frameMs, 0.5), Mean(m.drawCalls),
        Percentile(m.floor, 0.5), Percentile(m.draw, 0.5) / std::max(Percentile(m.floor, 0.5), 1e-9),
        Percentile(m.update, 0.5) * 1e6 / std::max(Mean(m.contacts), 1.));
}

void RunShort(const Scenario& scenario)
{
    Bench bench(scenario);
    bench.StartGame();
    bench.WarmUp(scenario.enemyGoal, scenario.maxWarmFrames);
    const int warmFrames = bench.frame;
    const Measured m = MeasureFrames(bench, scenario.measureFrames, true);
    PrintWorld(scenario.name, m);
    const std::string fastGame = GameSummary();

    if (std::string(scenario.name) == "large" && UseReference(PhysicsManager::instance(), false))
    {
        // The same frames again with the plain all-pairs detection: both find the same contacts
        // in the same order, so the game takes the same course and the frames are comparable.
        bench.EndGame();
        bench.StartGame();
        bench.WarmUpFrames(warmFrames);
        UseReference(PhysicsManager::instance(), true);
        const Measured r = MeasureFrames(bench, scenario.measureFrames, false);
        UseReference(PhysicsManager::instance(), false);
        const bool same = GameSummary() == fastGame;
        std::printf(
            ", reference update ms median %.3f p99 %.3f, speed-up median %.1fx p99 %.1fx, same game %s",
            Percentile(r.update, 0.5), Percentile(r.update, 0.99),
            Percentile(r.update, 0.5) / std::max(Percentile(m.update, 0.5), 1e-9),
            Percentile(r.update, 0.99) / std::max(Percentile(m.update, 0.99), 1e-9), same ? "yes" : "no");
    }
    std::printf(", warm-up frames %d, peak RSS %.1f MB\n", warmFrames, PeakMegabytes());
    std::fflush(stdout);
    bench.EndGame();
}

void RunLong(const Scenario& scenario)
{
    Bench bench(scenario);
    bench.floor = false; // one frame in sixty is drawn: the long game is about the update
    bench.StartGame();
    const auto start = std::chrono::steady_clock::now();
    std::vector<Measured> minutes;
    bool stopped = false;
    for (int minute = 0; minute < scenario.minutes && !stopped; ++minute)
    {
        Measured m;
        for (int i = 0; i < FramesPerMinute; ++i)
        {
            const Bench::Sample s = bench.Step(bench.frame % scenario.drawEvery == 0);
            m.update.push_back(s.updateMs);
            m.liveEnemies.push_back(Count().liveEnemies);
            if (s.drawCalls > 0)
                m.draw.push_back(s.drawMs);
        }
        minutes.push_back(std::move(m));
        const auto wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr,
                     "long: minute %d, update median %.3f ms, live enemies %.0f, peak %.1f MB, %.0f s\n",
                     minute + 1, Percentile(minutes.back().update, 0.5), Mean(minutes.back().liveEnemies),
                     PeakMegabytes(), wall);
        stopped = wall > scenario.wallBudgetSeconds;
    }
    // The path is full after about two minutes; minute 3 is the first with steady live counts.
    const Measured& first = minutes[std::min<std::size_t>(2, minutes.size() - 1)];
    const Measured& last = minutes.back();
    const Census c = Count();
    std::printf(
        "long: %zu simulated min%s (drawn 1 frame in %d; the others only place the sprites), live %d "
        "(enemies %d, projectiles %d), dead %d, colliders %zu, minute %zu: live enemies %.0f update ms "
        "median %.3f p99 %.3f, minute %zu: live enemies %.0f update ms median %.3f p99 %.3f, "
        "last/first median %.2f, draw ms median %.3f, peak RSS %.1f MB\n",
        minutes.size(),
        stopped && minutes.size() < static_cast<std::size_t>(scenario.minutes)
            ? " (stopped early: wall-clock budget)"
            : "",
        scenario.drawEvery, c.live, c.liveEnemies, c.liveProjectiles, c.dead,
        PhysicsManager::instance().colliders.size(), std::min<std::size_t>(3, minutes.size()),
        Mean(first.liveEnemies), Percentile(first.update, 0.5), Percentile(first.update, 0.99),
        minutes.size(), Mean(last.liveEnemies), Percentile(last.update, 0.5), Percentile(last.update, 0.99),
        Percentile(last.update, 0.5) / std::max(Percentile(first.update, 0.5), 1e-9),
        Percentile(last.draw, 0.5), PeakMegabytes());
    std::fflush(stdout);
    bench.EndGame();
}

int RunInChild(const Scenario& scenario)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0)
    {
        if (scenario.minutes > 0)
            RunLong(scenario);
        else
            RunShort(scenario);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> wanted(argv + 1, argv + argc);
    int failures = 0;
    for (const Scenario& scenario : scenarios)
    {
        if (wanted.empty() || std::find(wanted.begin(), wanted.end(), scenario.name) != wanted.end())
            failures += RunInChild(scenario) != 0;
    }
    return failures == 0 ? 0 : 1;
}
