#pragma once
// Turns the window's keyboard and mouse-button events into state that game code can poll
// during a frame, and keeps the key bindings of (player, action) pairs.

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>

#include <functional>
#include <map>
#include <memory>
#include <vector>

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

    bool IsMouseButtonPressed(sf::Mouse::Button button) const;
    // Only the first binding of the pair counts.
    bool IsActionPressed(int action, int player) const;
    // The mouse in window pixels (the view is not applied).
    sf::Vector2f MousePosition() const;

    std::map<sf::Keyboard::Key, bool> keyDown;
    std::map<sf::Keyboard::Key, bool> keyPressed;
    std::map<sf::Keyboard::Key, bool> keyReleased;
    std::vector<std::shared_ptr<Binding>> bindings;
    std::map<sf::Mouse::Button, bool> mouseDown;
    std::map<sf::Mouse::Button, bool> mousePressed;
    std::map<sf::Mouse::Button, bool> mouseReleased;
    std::shared_ptr<sf::RenderWindow> window;
    // Where the mouse is; reads the real pointer relative to window. Tests may replace it.
    std::function<sf::Vector2i()> mouseSource;

private:
    InputManager();
};
