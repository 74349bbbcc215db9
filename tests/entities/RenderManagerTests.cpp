// The render manager's layer list: the drawing order, the layer steps of render components and
// the run-time layer editor (with components that only record their drawing).

#include "entities/GameObjectManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "services/InputManager.hpp"
#include "tests/entities/EntityTestSupport.hpp"

#include <gtest/gtest.h>

using namespace entity_tests;

namespace
{
class Layers : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetEntities(); }
    void TearDown() override { testing_support::ResetEntities(); }
};

sf::Event Key(sf::Keyboard::Key key)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = key;
    return event;
}
} // namespace

TEST_F(Layers, RenderManagerDrawsByLayerListThenTheCamera)
{
    std::vector<std::string> drawn;
    auto& render = RenderManager::instance();
    GameObject world(ObjectType::TileMap);
    for (auto [layer, label] : std::vector<std::pair<int, std::string>>{
             {2, "sprite"}, {0, "ground"}, {7, "nowhere"}, {4, "top"}, {0, "ground2"}, {1, "hidden"}})
        render.AddRenderComponent(std::make_shared<RecordingRender>(&world, layer, label, &drawn));
    auto camera = std::make_shared<GameObject>(ObjectType::Camera);
    camera->AddComponent(
        std::make_shared<RecordingRender>(camera.get(), 5, "camera", &drawn, ComponentType::Camera));
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

TEST_F(Layers, LayerStepping)
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

TEST_F(Layers, LayerEditorFollowsTheFirstPressedActionOfItsPlayer)
{
    auto& input = InputManager::instance();
    auto& render = RenderManager::instance();
    const std::vector<std::pair<int, bool>> start = render.layers;

    // Without bindings for the layer editor nothing happens, whatever is pressed.
    input.BindDefaults();
    input.HandleEvent(Key(sf::Keyboard::Up));
    render.EditLayers();
    EXPECT_EQ(render.layers, start);
    EXPECT_EQ(render.selectedLayer, 0);

    const sf::Keyboard::Key keys[] = {sf::Keyboard::Num5, sf::Keyboard::Num6, sf::Keyboard::Num7,
                                      sf::Keyboard::Num8, sf::Keyboard::Num9};
    for (int action = NextLayer; action <= MoveLayerEarlier; ++action)
        input.Bind(action, LayerEditorPlayer, keys[action - NextLayer]);
    auto press = [&](std::initializer_list<int> actions)
    {
        input.Update();
        for (int action : actions)
            input.HandleEvent(Key(keys[action - NextLayer]));
        render.EditLayers();
    };

    press({PreviousLayer}); // already at the first entry
    EXPECT_EQ(render.selectedLayer, 0);
    press({MoveLayerLater}); // layer 0 moves one later and stays selected
    EXPECT_EQ(render.selectedLayer, 1);
    EXPECT_EQ(render.layers[1], std::make_pair(0, true));
    EXPECT_EQ(render.layers[0], std::make_pair(1, true));
    press({ToggleLayer});
    EXPECT_EQ(render.layers[1], std::make_pair(0, false));
    press({NextLayer, PreviousLayer}); // only the first pressed action counts
    EXPECT_EQ(render.selectedLayer, 2);
    press({MoveLayerEarlier}); // layer 2 moves one earlier, in front of the hidden layer 0
    EXPECT_EQ(render.selectedLayer, 1);
    EXPECT_EQ(render.layers[1], std::make_pair(2, true));
    EXPECT_EQ(render.layers[2], std::make_pair(0, false));
    for (int i = 0; i < 4; ++i)
        press({NextLayer});
    EXPECT_EQ(render.selectedLayer, 4);
    press({MoveLayerLater}); // the last entry cannot move later
    EXPECT_EQ(render.selectedLayer, 4);
    EXPECT_EQ(render.layers[4], std::make_pair(4, true));
    for (int i = 0; i < 5; ++i)
        press({PreviousLayer});
    press({MoveLayerEarlier}); // the first entry cannot move earlier
    EXPECT_EQ(render.selectedLayer, 0);
    EXPECT_EQ(render.layers[0], std::make_pair(1, true));
    input.Update();
    render.EditLayers(); // nothing pressed
    EXPECT_EQ(render.selectedLayer, 0);
}
