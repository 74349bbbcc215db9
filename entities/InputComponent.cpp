#include "entities/InputComponent.hpp"

#include "app/InputManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "gameplay/GameConfig.hpp"

void InputComponent::FollowPointer()
{
    owner->setPosition(InputManager::instance().ClickPosition());
    for (const auto& component : owner->components)
    {
        if (component->GetType() == ComponentType::Collision)
            component->PhysicsUpdate(0.f);
    }
    followed = true;
}

void InputComponent::Update(float)
{
    if (!followed)
        FollowPointer();
    followed = false;
    auto& input = InputManager::instance();
    if (input.IsMouseButtonPressed(sf::Mouse::Left) && GameConfig::instance().buildAllowed && selectedTower != 0)
    {
        const sf::Vector2f at = owner->getPosition();
        GameConfig::instance().tryBuildTower(selectedTower, at.x, at.y);
    }
    if (input.IsMouseButtonPressed(sf::Mouse::Right))
        selectedTower = 0;
}
