#include "app/GamePlay.hpp"

#include "app/services/AssetsLocation.hpp"
#include "app/services/GameCounters.hpp"
#include "app/services/SoundManager.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/Reclaim.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "ui/ScreenCheck.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

void GamePlay::Init()
{
    GameplayManager::instance().running = true;
    // The HUD first: loading a screen empties the widget root, and the level's base puts its
    // health bar there.
    UIManager::instance().LoadScreen(AssetPath("hud.txt"), ScreenKind::HudScreen);
    CreateCamera({0.f, 0.f});
    const LevelPlan level = LoadMap(AssetPath("game.tmj"), {0.f, 0.f});
    CreatePlayerCursor();
    UIManager::instance().money = 150;
    if (!level.playable)
        ShowUnplayableLevel(UIManager::instance(), level);
}

void GamePlay::Update(float dt)
{
    auto& gameplay = GameplayManager::instance();
    if (gameplay.running)
    {
        auto& objects = GameObjectManager::instance();
        // Objects registered during this walk (shots, spawned enemies) are appended to the list
        // and updated later in the same walk.
        for (auto it = objects.objects.begin(); it != objects.objects.end(); ++it)
        {
            const auto object = *it;
            object->Update(dt);
        }
        if (objects.camera)
            objects.camera->Update(dt);

        // The cursor stands where the pointer is now, so the building rules of this physics
        // step and the click after it both see what is under the pointer in this frame.
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
    }
    SoundManager::instance().RemoveStoppedSounds();
    RenderManager::instance().EditLayers();
    UIManager::instance().UpdateHUD(dt);
}

void GamePlay::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    lastGameView = window->getView();
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
