// Game objects, the object registry and health bars.

#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "tests/entities/EntityTestSupport.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using entity_tests::Health;
using entity_tests::RecordingRender;

namespace
{
class Objects : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetEntities(); }
    void TearDown() override { testing_support::ResetEntities(); }

    bool InGui(const std::shared_ptr<GameObject>& object) const
    {
        const auto& widgets = bars.getWidgets();
        return std::find(widgets.begin(), widgets.end(), object->healthBar) != widgets.end();
    }

    vgui::Gui bars;
    testing_support::HealthBarsIn shown{bars};
};

class CountingComponent : public Component
{
public:
    using Component::Component;
    int GetType() const override { return ComponentType::Move; }
    void Update(float) override { ++updates; }
    int updates = 0;
};

std::shared_ptr<GameObject> WithStatus(int type, const std::string& name, std::uint32_t health,
                                       std::uint32_t maxHealth)
{
    auto object = std::make_shared<GameObject>(type, name);
    object->AddComponent(std::make_shared<Health>(object.get(), health, maxHealth));
    return object;
}

} // namespace

TEST_F(Objects, RegistryKeepsTheCameraApartAndIdsRunOnAcrossGames)
{
    auto& registry = GameObjectManager::instance();
    auto tower = std::make_shared<GameObject>(ObjectType::Tower);
    registry.AddGameObject(tower);
    auto camera = std::make_shared<GameObject>(ObjectType::Camera);
    camera->AddComponent(
        std::make_shared<CameraComponent>(camera.get(), std::make_shared<sf::View>(), sf::Vector2f(), 5));
    registry.AddGameObject(camera);
    auto bare = std::make_shared<GameObject>(ObjectType::Waypoint);
    registry.AddGameObject(bare);

    EXPECT_EQ(tower->id, 0);
    EXPECT_EQ(camera->id, 1);
    EXPECT_EQ(bare->id, 2);
    EXPECT_EQ(registry.camera, camera);
    EXPECT_EQ(registry.objects, (std::list<std::shared_ptr<GameObject>>{tower, bare}));

    auto secondCamera = std::make_shared<GameObject>(ObjectType::Camera);
    secondCamera->AddComponent(std::make_shared<CountingComponent>(secondCamera.get()));
    secondCamera->AddComponent(std::make_shared<CameraComponent>(
        secondCamera.get(), std::make_shared<sf::View>(), sf::Vector2f(3.f, 4.f), 5));
    registry.AddGameObject(secondCamera);
    EXPECT_EQ(registry.camera, secondCamera);
    EXPECT_EQ(registry.objects.size(), 2u);
    EXPECT_EQ(CameraComponent::moveOffset, sf::Vector2f(3.f, 4.f)); // the last one built decides

    // Clearing, as leaving a game does, empties the list but keeps the camera and the counter.
    registry.Clear();
    EXPECT_TRUE(registry.objects.empty());
    EXPECT_EQ(registry.camera, secondCamera);
    auto next = std::make_shared<GameObject>(ObjectType::Enemy, "Next");
    next->AddComponent(std::make_shared<Health>(next.get(), 0, 0));
    registry.AddGameObject(next);
    EXPECT_EQ(next->id, 4);
}

TEST_F(Objects, LookupsFindSubclassesAndDeadObjects)
{
    auto& registry = GameObjectManager::instance();
    EXPECT_EQ(registry.FindByName("Base"), nullptr);

    auto tower = std::make_shared<GameObject>(ObjectType::Tower);
    auto body = std::make_shared<RigidBodyComponent>(tower.get());
    auto circle = std::make_shared<CircleCollisionComponent>(tower.get(), body, sf::CircleShape(5.f));
    auto box = std::make_shared<BoxCollisionComponent>(tower.get(), body, sf::FloatRect(0, 0, 64, 64));
    tower->AddComponent(body);
    tower->AddComponent(circle);
    tower->AddComponent(box);
    EXPECT_EQ(tower->GetComponent<CollisionComponent>(), circle); // first in list order
    EXPECT_EQ(tower->GetComponent<BoxCollisionComponent>(), box);
    EXPECT_EQ(tower->GetComponent<Component>(), body);
    EXPECT_EQ(tower->GetComponent<LifetimeComponent>(), nullptr);
    // Answers are kept per type, but a component added later is found, and an earlier answer
    // for a type stays the first in list order.
    auto lifetime = std::make_shared<LifetimeComponent>(tower.get(), 2.f);
    auto secondCircle = std::make_shared<CircleCollisionComponent>(tower.get(), body, sf::CircleShape(9.f));
    tower->AddComponent(secondCircle);
    tower->AddComponent(lifetime);
    EXPECT_EQ(tower->GetComponent<LifetimeComponent>(), lifetime);
    EXPECT_EQ(tower->FindComponent<LifetimeComponent>(), lifetime.get());
    EXPECT_EQ(tower->FindComponent<CircleCollisionComponent>(), circle.get());
    EXPECT_EQ(tower->FindComponent<PointCollisionComponent>(), nullptr);
    EXPECT_EQ(tower->GetComponent<CollisionComponent>(), circle);

    auto first = WithStatus(ObjectType::Base, "Base", 10, 10);
    auto second = WithStatus(ObjectType::Base, "Base", 10, 10);
    registry.AddGameObject(tower);
    registry.AddGameObject(first);
    registry.AddGameObject(second);
    first->Destroy();
    EXPECT_EQ(registry.FindByName("Base"), first);
    EXPECT_EQ(registry.FindByName("base"), nullptr);
    EXPECT_EQ(registry.GetBases(), (std::list<std::shared_ptr<GameObject>>{first, second}));
}

TEST_F(Objects, DeadObjectsStopUpdatingButStillRefreshTheirBar)
{
    auto enemy = WithStatus(ObjectType::Enemy, "Walker", 5, 10);
    auto counter = std::make_shared<CountingComponent>(enemy.get());
    enemy->AddComponent(counter);
    enemy->Update(0.1f);
    EXPECT_EQ(counter->updates, 1);
    enemy->Destroy();
    enemy->setPosition(100.f, 100.f);
    enemy->Update(0.1f);
    EXPECT_EQ(counter->updates, 1);
    EXPECT_EQ(enemy->healthBar->getPosition(), sf::Vector2f(67.f, 70.f));
}

TEST_F(Objects, HealthBarsOfEnemiesAndBases)
{
    auto& gui = bars;
    auto red = WithStatus(ObjectType::Enemy, "Red", 29, 100);
    auto green = WithStatus(ObjectType::Enemy, "Green", 30, 100);
    auto base = WithStatus(ObjectType::Base, "Base", 200, 200);
    auto tower = WithStatus(ObjectType::Tower, "Default", 1, 100);
    EXPECT_EQ(gui.get("Red"), red->healthBar);
    EXPECT_EQ(gui.get("Base"), base->healthBar);
    EXPECT_FALSE(InGui(tower));

    red->setPosition(100.f, 200.f);
    base->setPosition(300.f, 400.f);
    for (const auto& object : {red, green, base, tower})
        object->Update(0.f);

    EXPECT_EQ(red->healthBar->getRenderer()->getFillColor(), sf::Color::Red);
    EXPECT_EQ(red->healthBar->getValue(), 29u);
    EXPECT_EQ(green->healthBar->getRenderer()->getFillColor(), sf::Color::Green);
    EXPECT_EQ(green->healthBar->getValue(), 30u);
    EXPECT_EQ(red->healthBar->getPosition(), sf::Vector2f(67.f, 170.f));
    EXPECT_EQ(red->healthBar->getScale(), sf::Vector2f(0.25f, 0.25f));

    EXPECT_EQ(base->healthBar->getPosition(), sf::Vector2f(242.f, 300.f));
    EXPECT_EQ(base->healthBar->getScale(), sf::Vector2f(0.5f, 0.5f));
    EXPECT_EQ(base->healthBar->getValue(), 100u);
    EXPECT_EQ(base->healthBar->getRenderer()->getFillColor(), sf::Color::Green);

    // An upgrade's resize does not move the base's bar.
    base->resized = true;
    base->resizedSize = {-40.f, -40.f};
    base->Update(0.f);
    EXPECT_EQ(base->healthBar->getPosition(), sf::Vector2f(242.f, 300.f));
    EXPECT_FALSE(base->resized);

    // Other kinds leave their (unattached) bar alone.
    EXPECT_EQ(tower->healthBar->getValue(), 0u);

    red->Destroy();
    base->Destroy();
    EXPECT_FALSE(InGui(red));
    EXPECT_FALSE(InGui(base));
    EXPECT_TRUE(InGui(green));
}

TEST_F(Objects, ObjectDrawsOnlySpriteTileAndCameraComponentsWhileAlive)
{
    std::vector<std::string> drawn;
    GameObject object(ObjectType::Camera);
    object.AddComponent(std::make_shared<RecordingRender>(&object, 2, "preview", &drawn));
    object.AddComponent(
        std::make_shared<RecordingRender>(&object, 0, "tiles", &drawn, ComponentType::TiledLayer));
    object.AddComponent(
        std::make_shared<RecordingRender>(&object, 5, "camera", &drawn, ComponentType::Camera));
    object.AddComponent(std::make_shared<RecordingRender>(&object, 2, "other", &drawn, ComponentType::Move));
    object.Draw(nullptr);
    EXPECT_EQ(drawn, (std::vector<std::string>{"tiles", "camera"}));
    object.alive = false;
    object.Draw(nullptr);
    EXPECT_EQ(drawn.size(), 2u);
}

// Slots index tables by object: no two existing objects share one, and a freed slot is handed out
// again, the smallest first, so that they stay below the most objects that ever existed at once.
TEST_F(Objects, SlotsAreUniqueAmongExistingObjectsAndReusedSmallestFirst)
{
    std::vector<std::unique_ptr<GameObject>> objects;
    for (int i = 0; i < 200; ++i)
        objects.push_back(std::make_unique<GameObject>(ObjectType::Enemy));
    std::vector<std::uint32_t> slots;
    for (const auto& object : objects)
        slots.push_back(object->slot);
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(std::adjacent_find(slots.begin(), slots.end()), slots.end());

    const std::uint32_t low = objects[150]->slot, high = objects[20]->slot;
    const std::uint32_t smaller = std::min(low, high), larger = std::max(low, high);
    objects[150].reset();
    objects[20].reset();
    const GameObject first(ObjectType::Enemy), second(ObjectType::Enemy);
    EXPECT_EQ(first.slot, smaller);
    EXPECT_EQ(second.slot, larger);
    const GameObject third(ObjectType::Enemy);
    EXPECT_GT(third.slot, slots.back()) << "no freed slot is left";
}
