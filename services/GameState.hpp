#pragma once
// A state of the application: the main menu or a running game. The frame loop drives the
// current one.

#include <SFML/Graphics/RenderWindow.hpp>

#include <memory>

class GameState
{
public:
    virtual ~GameState() = default;
    virtual void Init() = 0;
    virtual void Exit() = 0;
    virtual void Update(float dt) = 0;
    virtual void Draw(std::shared_ptr<sf::RenderWindow> window) = 0;
};
