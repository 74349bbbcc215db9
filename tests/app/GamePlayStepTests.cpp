// The running game one GamePlay::Update at a time, with the level loaded and the clicks handed in
// by the test: the second of two keeps falling ends the game, and clicks through the step build on
// free ground only and upgrade a tower with nothing chosen.

#include "entities/CollisionComponents.hpp"
#include "entities/MotionComponents.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "gameplay/StatusComponent.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "tests/app/AppTestSupport.hpp"
#include "ui/UIManager.hpp"

#include <gtest/gtest.h>

namespace
{
// One GamePlay::Update at a time, with the level loaded and the clicks handed in by the test.
class GameplayStep : public GameTest
{
};
} // namespace

TEST_F(GameplayStep, TheSecondOfSeveralBasesDyingEndsTheGame)
{
    auto& gameplay = GameplayManager::instance();
    LoadMap(UseMap("two_bases.tmj"), {});
    const auto bases = OfType(ObjectType::Base);
    ASSERT_EQ(bases.size(), 2u);
    EXPECT_EQ(Status(*bases[1])->health, 100u) << "100.9 is truncated";
    gameplay.running = true;
    EXPECT_TRUE(testing_support::StepWorld(1.f / 60.f));
    bases[1]->Destroy();
    EXPECT_FALSE(testing_support::StepWorld(1.f / 60.f));
    EXPECT_EQ(UIManager::instance().currentScreen, LoseScreen);
    // After defeat the world stands still.
    const auto enemy = Enemy(0, 1, {10.f, 10.f});
    Collider<RigidBodyComponent>(*enemy)->velocity = {100.f, 0.f};
    testing_support::StepWorld(1.f / 60.f);
    EXPECT_EQ(enemy->getPosition(), sf::Vector2f(10.f, 10.f));
}

TEST_F(GameplayStep, ClickingThroughTheFrameBuildsOnFreeGroundOnly)
{
    auto& ui = GameCounters::instance();
    auto& input = InputManager::instance();
    GameplayManager::instance().running = true;
    CreatePlayerCursor();
    ui.money = 200;
    sf::Vector2i mouse(400, 300);
    input.mouseSource = [&mouse]
    {
        return mouse;
    };
    const auto frame = [&](bool click)
    {
        input.Update();
        if (click)
            input.mousePressed[sf::Mouse::Left] = true;
        testing_support::StepWorld(1.f / 60.f);
    };
    // Free ground, nothing selected: a click builds nothing.
    frame(false);
    frame(false);
    frame(true);
    EXPECT_TRUE(OfType(ObjectType::Tower).empty());
    // With kind 1 selected it builds at the mouse.
    GameplayManager::instance().cursorInput->selectedTower = 1;
    frame(true);
    ASSERT_EQ(OfType(ObjectType::Tower).size(), 1u);
    EXPECT_EQ(OfType(ObjectType::Tower)[0]->getPosition(), sf::Vector2f(400.f, 300.f));
    EXPECT_EQ(ui.money, 150);
    // Over that tower with kind 1 selected again: no second tower and no upgrade.
    GameplayManager::instance().cursorInput->selectedTower = 1;
    frame(false);
    frame(false);
    frame(true);
    EXPECT_EQ(OfType(ObjectType::Tower).size(), 1u);
    EXPECT_EQ(ui.money, 150);
    // A right click drops the selection; then the left click upgrades the tower.
    input.Update();
    input.mousePressed[sf::Mouse::Right] = true;
    testing_support::StepWorld(1.f / 60.f);
    EXPECT_EQ(GameplayManager::instance().cursorInput->selectedTower, 0);
    frame(true);
    EXPECT_EQ(OfType(ObjectType::Tower)[0]->GetComponent<UpgradeStateComponent>()->level, 2);
    EXPECT_EQ(ui.money, 75);
}
