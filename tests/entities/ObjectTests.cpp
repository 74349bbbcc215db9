// Game objects, the object registry, health bars, and the render manager's layer handling
// (with components that only record their drawing).

#include "app/GamePlay.hpp"
#include "app/services/InputManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "tests/support/TestSupport.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
class Objects : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetWorld(); }
    void TearDown() override { testing_support::ResetWorld(); }
};

// Records its draws into a shared list by a label; reports any type number it is given.
class RecordingRender : public RenderComponent
{
public:
    RecordingRender(GameObject* owner, int layer, std::string label, std::vector<std::string>* drawn,
                    int type = ComponentType::SpriteRender)
        : RenderComponent(owner, layer), label(std::move(label)), drawn(drawn), type(type)
    {
    }
    int GetType() const override { return type; }
    void Draw(std::shared_ptr<sf::RenderWindow>) override { drawn->push_back(label); }
    std::string label;
    std::vector<std::string>* drawn;
    int type;
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
    auto status = std::make_shared<StatusComponent>(object.get());
    status->health = health;
    status->maxHealth = maxHealth;
    object->AddComponent(status);
    return object;
}

bool InGui(const std::shared_ptr<GameObject>& object)
{
    const auto& widgets = UIManager::instance().gui->getWidgets();
    return std::find(widgets.begin(), widgets.end(), object->healthBar) != widgets.end();
}

sf::Event Key(sf::Keyboard::Key key)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = key;
    return event;
}
} // namespace

TEST_F(Objects, RegistryKeepsTheCameraApartAndIdsRunOnAcrossGames)
{
    auto& registry = GameObjectManager::instance();
    auto tower = std::make_shared<GameObject>(ObjectType::Tower);
    registry.AddGameObject(tower);
    auto camera = std::make_shared<GameObject>(ObjectType::Camera);
    camera->AddComponent(std::make_shared<CameraComponent>(camera.get(), std::make_shared<sf::View>(),
                                                           sf::Vector2f(), 5));
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
    secondCamera->AddComponent(std::make_shared<CameraComponent>(secondCamera.get(), std::make_shared<sf::View>(),
                                                                 sf::Vector2f(3.f, 4.f), 5));
    registry.AddGameObject(secondCamera);
    EXPECT_EQ(registry.camera, secondCamera);
    EXPECT_EQ(registry.objects.size(), 2u);
    EXPECT_EQ(CameraComponent::moveOffset, sf::Vector2f(3.f, 4.f)); // the last one built decides

    // Leaving the game empties the list but keeps the camera and the counter.
    GamePlay().Exit();
    EXPECT_TRUE(registry.objects.empty());
    EXPECT_EQ(registry.camera, secondCamera);
    auto next = std::make_shared<GameObject>(ObjectType::Enemy, "Next");
    next->AddComponent(std::make_shared<StatusComponent>(next.get()));
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
    auto& gui = *UIManager::instance().gui;
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
    object.AddComponent(std::make_shared<RecordingRender>(&object, 0, "tiles", &drawn, ComponentType::TiledLayer));
    object.AddComponent(std::make_shared<RecordingRender>(&object, 5, "camera", &drawn, ComponentType::Camera));
    object.AddComponent(std::make_shared<RecordingRender>(&object, 2, "other", &drawn, ComponentType::Move));
    object.Draw(nullptr);
    EXPECT_EQ(drawn, (std::vector<std::string>{"tiles", "camera"}));
    object.alive = false;
    object.Draw(nullptr);
    EXPECT_EQ(drawn.size(), 2u);
}

TEST_F(Objects, RenderManagerDrawsByLayerListThenTheCamera)
{
    std::vector<std::string> drawn;
    auto& render = RenderManager::instance();
    GameObject world(ObjectType::TileMap);
    for (auto [layer, label] : std::vector<std::pair<int, std::string>>{
             {2, "sprite"}, {0, "ground"}, {7, "nowhere"}, {4, "top"}, {0, "ground2"}, {1, "hidden"}})
        render.AddRenderComponent(std::make_shared<RecordingRender>(&world, layer, label, &drawn));
    auto camera = std::make_shared<GameObject>(ObjectType::Camera);
    camera->AddComponent(std::make_shared<RecordingRender>(camera.get(), 5, "camera", &drawn, ComponentType::Camera));
    GameObjectManager::instance().AddGameObject(camera);

    render.layers = {{4, true}, {1, false}, {0, true}, {2, true}, {3, true}};
    render.Draw(nullptr);
    EXPECT_EQ(drawn, (std::vector<std::string>{"top", "ground", "ground2", "sprite", "camera"}));

    render.Clear();
    drawn.clear();
    render.Draw(nullptr);
    EXPECT_EQ(drawn, std::vector<std::string>{"camera"});
    EXPECT_EQ(render.layers.size(), 5u);
}

TEST_F(Objects, LayerStepping)
{
    GameObject owner(ObjectType::Tower);
    struct Plain : RenderComponent
    {
        using RenderComponent::RenderComponent;
        int GetType() const override { return ComponentType::SpriteRender; }
        void Draw(std::shared_ptr<sf::RenderWindow>) override {}
    } layer(&owner, 4);
    layer.RaiseLayer(false);
    EXPECT_EQ(layer.GetLayer(), 0);
    layer.LowerLayer(false);
    EXPECT_EQ(layer.GetLayer(), 4);
    layer.LowerLayer(false);
    EXPECT_EQ(layer.GetLayer(), 3);
    layer.RaiseLayer(true);
    EXPECT_EQ(layer.GetLayer(), 3);
    layer.SetLayer(2);
    layer.RaiseLayer(true);
    EXPECT_EQ(layer.GetLayer(), 4);
    layer.LowerLayer(true);
    EXPECT_EQ(layer.GetLayer(), 2);
    layer.SetLayer(7);
    layer.RaiseLayer(false);
    layer.LowerLayer(false);
    EXPECT_EQ(layer.GetLayer(), 7);
}

TEST_F(Objects, LayerEditorFollowsTheFirstPressedActionOfItsPlayer)
{
    auto& input = InputManager::instance();
    auto& render = RenderManager::instance();
    const std::vector<std::pair<int, bool>> start = render.layers;

    // Without bindings for player 99 nothing happens, whatever is pressed.
    input.BindDefaults();
    input.HandleEvent(Key(sf::Keyboard::Up));
    render.EditLayers();
    EXPECT_EQ(render.layers, start);
    EXPECT_EQ(render.selectedLayer, 0);

    const sf::Keyboard::Key keys[] = {sf::Keyboard::Num5, sf::Keyboard::Num6, sf::Keyboard::Num7,
                                      sf::Keyboard::Num8, sf::Keyboard::Num9};
    for (int action = 5; action <= 9; ++action)
        input.Bind(action, 99, keys[action - 5]);
    auto press = [&](std::initializer_list<int> actions) {
        input.Update();
        for (int action : actions)
            input.HandleEvent(Key(keys[action - 5]));
        render.EditLayers();
    };

    press({6}); // already at the first entry
    EXPECT_EQ(render.selectedLayer, 0);
    press({8}); // move layer 0 one later, it stays selected
    EXPECT_EQ(render.selectedLayer, 1);
    EXPECT_EQ(render.layers[1], std::make_pair(0, true));
    EXPECT_EQ(render.layers[0], std::make_pair(1, true));
    press({7});
    EXPECT_EQ(render.layers[1], std::make_pair(0, false));
    press({5, 6}); // only the first pressed action counts
    EXPECT_EQ(render.selectedLayer, 2);
    press({9}); // layer 2 moves one earlier, in front of the hidden layer 0
    EXPECT_EQ(render.selectedLayer, 1);
    EXPECT_EQ(render.layers[1], std::make_pair(2, true));
    EXPECT_EQ(render.layers[2], std::make_pair(0, false));
    press({5});
    press({5});
    press({5});
    press({5});
    EXPECT_EQ(render.selectedLayer, 4);
    press({8}); // the last entry cannot move later
    EXPECT_EQ(render.selectedLayer, 4);
    EXPECT_EQ(render.layers[4], std::make_pair(4, true));
    for (int i = 0; i < 5; ++i)
        press({6});
    press({9}); // the first entry cannot move earlier
    EXPECT_EQ(render.selectedLayer, 0);
    EXPECT_EQ(render.layers[0], std::make_pair(1, true));
    input.Update();
    render.EditLayers(); // nothing pressed
    EXPECT_EQ(render.selectedLayer, 0);
}
