#pragma once
// Turns the window's keyboard and mouse-button events into state that game code can poll
// during a frame, and keeps the key bindings of (player, action) pairs.

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// The actions of the key bindings: the four directions and a fifth key (no game code asks for
// them), and the render layer editor's actions.
enum Action : int
{
    MoveUp = 0,
    MoveRight = 1,
    MoveDown = 2,
    MoveLeft = 3,
    ActionKey = 4,
    NextLayer = 5,
    PreviousLayer = 6,
    ToggleLayer = 7,
    MoveLayerLater = 8,
    MoveLayerEarlier = 9,
};

// Who a binding belongs to: two players, and the layer editor (which has no keys).
enum Player : int
{
    FirstPlayer = 0,
    SecondPlayer = 1,
    LayerEditorPlayer = 99,
};

struct Binding
{
    int player = 0;
    int action = 0;
    sf::Keyboard::Key key = sf::Keyboard::Unknown;
};

class InputManager
{
public:
    static InputManager& instance();

    // Records key and mouse-button presses and releases; other events are ignored.
    void HandleEvent(sf::Event event);
    // Clears the per-frame pressed and released flags (the frame loop calls it before polling).
    void Update();
    void Bind(int action, int player, sf::Keyboard::Key key);
    // Installs the ten default bindings of the game.
    void BindDefaults();
    // Back to a process that has seen no event: nothing down, no bindings, no window.
    void Reset() { *this = InputManager(); }

    bool IsMouseButtonPressed(sf::Mouse::Button button) const;
    // Whether a key-pressed event for key arrived in the latest poll (the game's hotkeys).
    bool IsKeyPressed(sf::Keyboard::Key key) const;
    // The press just handed in was used by the widget layer (a click on the HUD): it is not the
    // world's. What the poll brought before it stays: a click on grass and one on a HUD button
    // in the same poll still build.
    void ClaimPress(sf::Mouse::Button button);
    // The mouse presses and releases of the latest poll are used up (a second step of the world
    // in one frame must not click again); keys stay.
    void SpendClicks();
    // Only the first binding of the pair counts.
    bool IsActionPressed(int action, int player) const;
    // The pointer in world coordinates: window pixels mapped through the window's view, so the
    // letterboxed 1280 x 720 world lines up with the pointer at any window size.
    sf::Vector2f MousePosition() const;
    // Where the player clicked: the left press of the latest poll if there was one, otherwise
    // the pointer (world coordinates).
    sf::Vector2f ClickPosition() const;

    std::map<sf::Keyboard::Key, bool> keyDown;
    std::map<sf::Keyboard::Key, bool> keyPressed;
    std::map<sf::Keyboard::Key, bool> keyReleased;
    std::vector<std::shared_ptr<Binding>> bindings;
    std::map<sf::Mouse::Button, bool> mouseDown;
    std::map<sf::Mouse::Button, bool> mousePressed;
    std::map<sf::Mouse::Button, bool> mouseReleased;
    std::shared_ptr<sf::RenderWindow> window;
    // Where the mouse is, in window pixels; reads the real pointer relative to window. Tests may
    // replace it.
    std::function<sf::Vector2i()> mouseSource;
    // Window pixels of the latest poll's left press.
    std::optional<sf::Vector2i> leftPressPixel;
    // What the latest press found, for ClaimPress to give back.
    struct BeforePress
    {
        bool pressed = false;
        std::optional<sf::Vector2i> leftPixel;
    };
    std::map<sf::Mouse::Button, BeforePress> beforePress;
    // The window lost the keyboard focus in the latest poll.
    bool focusLost = false;
    // A widget (the HUD, a card) lies under the pointer after the latest poll: a click there is
    // the widget's, never the world's.
    bool pointerOverWidgets = false;

private:
    InputManager();
    sf::Vector2f ToWorld(sf::Vector2i pixel) const;
};
