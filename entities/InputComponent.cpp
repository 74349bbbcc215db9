#include "entities/InputComponent.hpp"

#include "app/InputManager.hpp"
#include "entities/GameObject.hpp"
#include "gameplay/GameConfig.hpp"

void InputComponent::Update(float)
{
    auto& input = InputManager::instance();
    owner->setPosition(input.MousePosition());

    if (input.IsMouseButtonPressed(sf::Mouse::Left) && GameConfig::instance().buildAllowed && selectedTower != 0)
    {
        const sf::Vector2f at = input.MousePosition();
        GameConfig::instance().tryBuildTower(selectedTower, at.x, at.y);
    }
    if (input.IsMouseButtonPressed(sf::Mouse::Right))
        selectedTower = 0;
}
