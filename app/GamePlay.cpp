#include "app/GamePlay.hpp"

#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/Reclaim.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "services/SoundManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

void GamePlay::Init()
{
    auto& gameplay = GameplayManager::instance();
    // The level and the difficulty chosen; the first level on Normal is the game as it has always been.
    const DifficultyNumbers& difficulty = DifficultyOf(gameplay.difficulty);
    GameCounters::instance().BeginGame();
    gameplay.running = true;
    gameplay.paused = false;
    gameplay.speed = 1;
    gameplay.wavesHeld = difficulty.waitsForStart;
    gameplay.enemyBoundSaid = false;
    // The HUD first: loading a screen empties the widget root, and the level's base puts its
    // health bar there.
    UIManager::instance().LoadScreen(AssetPath("hud.txt"), ScreenKind::HudScreen);
    CreateCamera(lastView, {0.f, 0.f});
    const LevelPlan level = LoadMap(gameplay.level.file, {0.f, 0.f});
    CreatePlayerCursor();
    UIManager::instance().money = startMoney.value_or(difficulty.startGold);
    UIManager::instance().score = startScore;
    if (!level.playable)
        UIManager::instance().ShowUnplayableLevel(level);
}

void GamePlay::Update(float dt)
{
    auto& gameplay = GameplayManager::instance();
    ApplyPlayerKeys();
    const int steps = gameplay.running && !gameplay.paused ? gameplay.speed : 0;
    for (int step = 0; step < steps && gameplay.running; ++step)
    {
        if (step > 0)
        {
            // Between two steps of one frame, as between two frames: the sprites are placed where
            // a picture puts them, and the clicks of the poll were the first step's.
            RenderManager::instance().PlaceSprites();
            InputManager::instance().SpendClicks();
        }
        StepWorld(dt);
    }
    // A click the world did not step for (a pause in the same poll) is not kept for later.
    if (gameplay.cursorInput)
        gameplay.cursorInput->click.reset();
    if (gameplay.running && !gameplay.paused)
        UIManager::instance().UpdateTowerCard(dt);
    SoundManager::instance().RemoveStoppedSounds();
    RenderManager::instance().EditLayers();
    // The HUD's short-lived texts count the game's time: none while paused, every step's at speed.
    UIManager::instance().UpdateHUD(gameplay.running ? dt * static_cast<float>(steps) : dt);
}

void GamePlay::StepWorld(float dt)
{
    auto& gameplay = GameplayManager::instance();
    auto& objects = GameObjectManager::instance();
    gameplay.CountLiveEnemies();
    // Objects registered during this walk (shots, spawned enemies) are appended to the list and
    // updated later in the same walk.
    for (auto it = objects.objects.begin(); it != objects.objects.end(); ++it)
    {
        const auto object = *it;
        object->Update(dt);
    }
    if (objects.camera)
        objects.camera->Update(dt);

    // The cursor stands where the pointer is now, so the building rules of this physics step and
    // the click after it both see what is under the pointer in this frame.
    if (gameplay.cursorInput)
        gameplay.cursorInput->FollowPointer();
    GameConfig::instance().buildAllowed = true;
    gameplay.upgradeClickSpent = false;
    PhysicsManager::instance().Update(dt);
    if (gameplay.cursorInput)
        gameplay.cursorInput->Update(dt);

    for (const auto& base : objects.GetBases())
    {
        if (!base->alive)
        {
            UIManager::instance().LoadScreen(AssetPath("loseScreen.txt"), ScreenKind::LoseScreen);
            gameplay.running = false;
            break;
        }
    }
    // After the walk: the dead enemies and projectiles of this frame leave the registries.
    ReclaimDeadObjects();
    // A game that waits for the player's Start counts its time from then.
    if (!gameplay.wavesHeld)
        GameCounters::instance().statistics.timeSurvived += dt;
}

void GamePlay::ApplyPlayerKeys()
{
    auto& gameplay = GameplayManager::instance();
    if (!gameplay.running)
        return;
    const auto& input = InputManager::instance();
    auto& ui = UIManager::instance();
    const auto& cursor = gameplay.cursorInput;
    if (input.focusLost)
        gameplay.paused = true;
    if (input.IsKeyPressed(sf::Keyboard::P) || input.IsKeyPressed(sf::Keyboard::Space))
        gameplay.paused = !gameplay.paused;
    if (input.IsKeyPressed(sf::Keyboard::Escape))
    {
        if (cursor && cursor->selectedTower != NoTower)
            cursor->selectedTower = NoTower;
        else
            gameplay.paused = !gameplay.paused;
    }
    if (input.IsKeyPressed(sf::Keyboard::F))
        gameplay.speed = gameplay.speed % GameplayManager::FastestSpeed + 1;
    if (gameplay.paused)
        return;
    const std::pair<sf::Keyboard::Key, int> towerKeys[] = {{sf::Keyboard::Num1, BulletTower},
                                                           {sf::Keyboard::Num2, SmallRocketTower},
                                                           {sf::Keyboard::Num3, BigRocketTower}};
    for (const auto& [key, kind] : towerKeys)
    {
        if (input.IsKeyPressed(key))
            ui.SelectTower(kind);
    }
    if (input.IsKeyPressed(sf::Keyboard::R))
        ui.RepairBase();
    if (input.IsKeyPressed(sf::Keyboard::N))
        gameplay.wavesHeld = false;
}

void GamePlay::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    lastView = window->getView();
    RenderManager::instance().Draw(window);
    UIManager::instance().gui->draw();
}

void GamePlay::Exit()
{
    GameplayManager::instance().waypoints.clear();
    RenderManager::instance().Clear();
    PhysicsManager::instance().Clear();
    GameObjectManager::instance().Clear();
    auto& counters = GameCounters::instance();
    counters.wave = 0;
    counters.money = 0;
    counters.score = 0;
    counters.ClearTransientTexts();
}
