// The input manager's per-frame flags and bindings.

#include "services/InputManager.hpp"
#include "tests/services/ServicesTestSupport.hpp"

#include <gtest/gtest.h>

#include <map>

namespace
{
sf::Event KeyEvent(sf::Event::EventType type, sf::Keyboard::Key key)
{
    sf::Event event{};
    event.type = type;
    event.key.code = key;
    return event;
}

sf::Event MouseEvent(sf::Event::EventType type, sf::Mouse::Button button)
{
    sf::Event event{};
    event.type = type;
    event.mouseButton.button = button;
    return event;
}

class Input : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetServices(); }
    InputManager& input = InputManager::instance();

    bool Flag(const std::map<sf::Keyboard::Key, bool>& flags, sf::Keyboard::Key key)
    {
        const auto found = flags.find(key);
        return found != flags.end() && found->second;
    }
};
} // namespace

TEST_F(Input, FlagsOfOnePollLastUntilTheNextUpdate)
{
    // Frame N's poll: a press and a release of A, and a press of B that is held.
    input.HandleEvent(KeyEvent(sf::Event::KeyPressed, sf::Keyboard::A));
    input.HandleEvent(KeyEvent(sf::Event::KeyReleased, sf::Keyboard::A));
    input.HandleEvent(KeyEvent(sf::Event::KeyPressed, sf::Keyboard::B));
    EXPECT_TRUE(Flag(input.keyPressed, sf::Keyboard::A));
    EXPECT_TRUE(Flag(input.keyReleased, sf::Keyboard::A));
    EXPECT_FALSE(Flag(input.keyDown, sf::Keyboard::A));
    EXPECT_TRUE(Flag(input.keyDown, sf::Keyboard::B));
    EXPECT_FALSE(Flag(input.keyReleased, sf::Keyboard::B));

    // Frame N + 1: the state's update still sees them, then the flags are cleared.
    input.Update();
    EXPECT_FALSE(Flag(input.keyPressed, sf::Keyboard::A));
    EXPECT_FALSE(Flag(input.keyReleased, sf::Keyboard::A));
    EXPECT_FALSE(Flag(input.keyPressed, sf::Keyboard::B));
    EXPECT_TRUE(Flag(input.keyDown, sf::Keyboard::B)); // held keys stay down

    input.HandleEvent(KeyEvent(sf::Event::KeyReleased, sf::Keyboard::B));
    EXPECT_FALSE(Flag(input.keyDown, sf::Keyboard::B));
    EXPECT_TRUE(Flag(input.keyReleased, sf::Keyboard::B));

    // Other events change nothing.
    sf::Event moved{};
    moved.type = sf::Event::MouseMoved;
    input.HandleEvent(moved);
    EXPECT_TRUE(input.mousePressed.empty());
}

TEST_F(Input, AClickIsSeenOnceAndQueriesCreateNoEntries)
{
    EXPECT_FALSE(input.IsMouseButtonPressed(sf::Mouse::Left));
    EXPECT_FALSE(input.IsActionPressed(NextLayer, LayerEditorPlayer));
    EXPECT_TRUE(input.mousePressed.empty());
    EXPECT_TRUE(input.keyPressed.empty());

    input.HandleEvent(MouseEvent(sf::Event::MouseButtonPressed, sf::Mouse::Left));
    input.HandleEvent(MouseEvent(sf::Event::MouseButtonReleased, sf::Mouse::Left));
    EXPECT_TRUE(input.IsMouseButtonPressed(sf::Mouse::Left));
    EXPECT_FALSE(input.IsMouseButtonPressed(sf::Mouse::Right));
    EXPECT_FALSE(input.mouseDown[sf::Mouse::Left]);
    EXPECT_TRUE(input.mouseReleased[sf::Mouse::Left]);
    input.Update();
    EXPECT_FALSE(input.IsMouseButtonPressed(sf::Mouse::Left));
    EXPECT_FALSE(input.mouseReleased[sf::Mouse::Left]);

    input.HandleEvent(MouseEvent(sf::Event::MouseButtonPressed, sf::Mouse::Right));
    input.Update();
    EXPECT_TRUE(input.mouseDown[sf::Mouse::Right]);
}

TEST_F(Input, OnlyTheFirstBindingOfAPairCounts)
{
    input.BindDefaults();
    ASSERT_EQ(input.bindings.size(), 10u);
    EXPECT_EQ(input.bindings[3]->player, 0);
    EXPECT_EQ(input.bindings[3]->action, 1);
    EXPECT_EQ(input.bindings[3]->key, sf::Keyboard::Right);
    EXPECT_EQ(input.bindings[9]->player, 1);
    EXPECT_EQ(input.bindings[9]->action, 4);
    EXPECT_EQ(input.bindings[9]->key, sf::Keyboard::Space);

    input.Bind(MoveUp, FirstPlayer, sf::Keyboard::K); // a second key for the first player's "up"
    input.HandleEvent(KeyEvent(sf::Event::KeyPressed, sf::Keyboard::K));
    EXPECT_FALSE(input.IsActionPressed(MoveUp, FirstPlayer));
    input.HandleEvent(KeyEvent(sf::Event::KeyPressed, sf::Keyboard::Up));
    EXPECT_TRUE(input.IsActionPressed(MoveUp, FirstPlayer));
    EXPECT_FALSE(input.IsActionPressed(MoveUp, SecondPlayer)); // W is not pressed
    input.HandleEvent(KeyEvent(sf::Event::KeyPressed, sf::Keyboard::Space));
    EXPECT_TRUE(input.IsActionPressed(ActionKey, SecondPlayer));
    EXPECT_FALSE(input.IsActionPressed(NextLayer, LayerEditorPlayer)); // no binding
    input.Update();
    EXPECT_FALSE(input.IsActionPressed(MoveUp, FirstPlayer));
}
