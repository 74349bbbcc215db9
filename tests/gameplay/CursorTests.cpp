// The player's cursor: the build preview at the pointer and the clicks that build or drop the
// selection. Needs a GL context.

#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"

#include <gtest/gtest.h>

using testing_support::Solid;

namespace
{
class Cursor : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetGameplay(); }
    void TearDown() override { testing_support::ResetGameplay(); }
};

// A rock of the level at a point: ground no tower may stand on while it is alive.
std::shared_ptr<GameObject> Rock(sf::Vector2f at)
{
    auto rock = std::make_shared<GameObject>(ObjectType::Obstacle, "Rock");
    rock->setPosition(at);
    auto body = std::make_shared<RigidBodyComponent>(rock.get());
    auto box = std::make_shared<BoxCollisionComponent>(rock.get(), body, sf::FloatRect(0.f, 0.f, 64.f, 64.f));
    rock->AddComponent(body);
    rock->AddComponent(box);
    box->PhysicsUpdate(0.f);
    GameObjectManager::instance().AddGameObject(rock);
    PhysicsManager::instance().AddCollider(box, "Obstacle");
    return rock;
}
} // namespace

TEST_F(Cursor, BuildPreviewShowsTheSelectedTowerAtTheCursor)
{
    auto& assets = AssetManager::instance();
    assets.textures["towerPlatformShape"] = Solid({64, 64});
    assets.textures["tower1shape"] = Solid({31, 41});
    assets.textures["tower2shape"] = Solid({33, 43});
    assets.textures["tower3shape"] = Solid({35, 45});

    auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(200, 200), "preview");
    InputManager::instance().mouseSource = []
    {
        return sf::Vector2i(100, 90);
    };
    CreatePlayerCursor();
    const auto input = GameplayManager::instance().cursorInput;
    GameObject& cursor = *input->GetOwner();
    cursor.setPosition(100.f, 90.f);
    TowerShapeRenderComponent preview(&cursor, input);
    const auto rock = Rock({100.f, 90.f});
    rock->alive = false;
    EXPECT_EQ(preview.GetLayer(), 2);

    auto capture = [&]
    {
        window->clear(sf::Color::Black);
        preview.Draw(window);
        sf::Texture shot;
        shot.create(200, 200);
        shot.update(*window);
        return shot.copyToImage().getPixel(100, 90);
    };
    EXPECT_EQ(capture(), sf::Color::Black); // nothing selected

    // Green where a click would build, red with a cross where it would not: the tint follows the
    // same verdict the click obeys.
    input->selectedTower = 3;
    GameCounters::instance().money = 1000;
    ASSERT_EQ(input->Verdict(), BuildVerdict::Build);
    const sf::Color green = capture();
    EXPECT_GT(green.g, 240);
    EXPECT_LT(green.r, 170);
    rock->alive = true;
    ASSERT_EQ(input->Verdict(), BuildVerdict::BlockedGround);
    const sf::Color blocked = capture();
    EXPECT_GT(blocked.r, 190);
    EXPECT_LT(blocked.g, 60);
    rock->alive = false;
    GameCounters::instance().money = TowerPrice(BigRocketTower) - 1;
    EXPECT_EQ(input->Verdict(), BuildVerdict::NotEnoughGold);
    EXPECT_EQ(capture(), blocked);
    GameCounters::instance().money = 1000;
    InputManager::instance().pointerOverWidgets = true;
    EXPECT_EQ(input->Verdict(), BuildVerdict::OverWidgets);
    EXPECT_EQ(capture(), sf::Color::Black) << "over the HUD no preview shows";
    InputManager::instance().pointerOverWidgets = false;
    EXPECT_EQ(capture(), green);
    EXPECT_EQ(preview.shapeSprite->getTexture(), assets.textures["tower3shape"].get());
    EXPECT_EQ(preview.shapeSprite->getTextureRect(), sf::IntRect(0, 0, 35, 45));
    EXPECT_EQ(preview.shapeSprite->getOrigin(), sf::Vector2f(17.f, 22.f));
    EXPECT_EQ(preview.shapeSprite->getPosition(), sf::Vector2f(100.f, 90.f));
    EXPECT_EQ(preview.platformSprite->getOrigin(), sf::Vector2f(32.f, 32.f));
    EXPECT_EQ(preview.platformSprite->getPosition(), sf::Vector2f(100.f, 90.f));

    cursor.alive = false; // the preview does not care
    input->selectedTower = 1;
    EXPECT_EQ(capture(), green);
    EXPECT_EQ(preview.shapeSprite->getTexture(), assets.textures["tower1shape"].get());
    assets.textures.clear();
}

namespace
{
// A press at (300, 200), where the test's mouse rests.
sf::Event Click(sf::Mouse::Button button)
{
    sf::Event event{};
    event.type = sf::Event::MouseButtonPressed;
    event.mouseButton.button = button;
    event.mouseButton.x = 300;
    event.mouseButton.y = 200;
    return event;
}

std::size_t Towers()
{
    std::size_t count = 0;
    for (const auto& object : GameObjectManager::instance().objects)
        count += object->type == ObjectType::Tower ? 1u : 0u;
    return count;
}
} // namespace

TEST_F(Cursor, CursorFollowsTheMouseBuildsOnLeftClickBeforeARightClickClears)
{
    testing_support::ScratchGame scratch;
    testing_support::LoadAssets();
    auto& input = InputManager::instance();
    input.mouseSource = []
    {
        return sf::Vector2i(300, 200);
    };
    // Exactly the price of the tower chosen.
    GameCounters::instance().money = TowerTypeOf(BulletTower)->price;

    CreatePlayerCursor();
    InputComponent& component = *GameplayManager::instance().cursorInput;
    const GameObject& cursor = *component.GetOwner();
    component.selectedTower = 1;

    const auto rock = Rock({300.f, 200.f}); // the pointer rests on it
    input.HandleEvent(Click(sf::Mouse::Left));
    component.Update(0.f);
    EXPECT_EQ(cursor.getPosition(), sf::Vector2f(300.f, 200.f));
    EXPECT_EQ(Towers(), 0u);
    EXPECT_EQ(component.selectedTower, 1);
    EXPECT_EQ(GameCounters::instance().refusal.text, "Can't build here");
    EXPECT_EQ(GameCounters::instance().refusal.at, sf::Vector2f(300.f, 200.f));

    // Left and right in one poll: the build comes first, then the selection is dropped.
    input.Update();
    rock->alive = false;
    input.HandleEvent(Click(sf::Mouse::Left));
    input.HandleEvent(Click(sf::Mouse::Right));
    component.Update(0.f);
    ASSERT_EQ(Towers(), 1u);
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (object->type == ObjectType::Tower)
        {
            EXPECT_EQ(object->getPosition(), sf::Vector2f(300.f, 200.f));
        }
    }
    EXPECT_EQ(component.selectedTower, 0);
    EXPECT_EQ(GameCounters::instance().money, 0);

    // A right click alone only drops the selection.
    input.Update();
    component.selectedTower = 2;
    input.HandleEvent(Click(sf::Mouse::Right));
    component.Update(0.f);
    EXPECT_EQ(component.selectedTower, 0);
    EXPECT_EQ(Towers(), 1u);
    testing_support::ResetGameplay();
    AssetManager::instance().textures.clear();
}
