#include "gameplay/Cursor.hpp"

#include "app/services/AssetManager.hpp"
#include "app/services/InputManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/RenderComponents.hpp"
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

TowerShapeRenderComponent::TowerShapeRenderComponent(GameObject* owner, std::shared_ptr<InputComponent> input)
    : RenderComponent(owner, 2),
      platformSprite(std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture("towerPlatformShape"))),
      shapeSprite(std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture("tower1shape"))),
      input(std::move(input))
{
}

void TowerShapeRenderComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    const int selected = input ? input->selectedTower : 0;
    if (selected < 1 || selected > 3)
        return;
    static const char* const shapeKeys[] = {"tower1shape", "tower2shape", "tower3shape"};
    shapeSprite->setTexture(AssetManager::instance().GetTexture(shapeKeys[selected - 1]), true);
    CentreOrigin(*platformSprite);
    CentreOrigin(*shapeSprite);
    platformSprite->setPosition(owner->getPosition());
    shapeSprite->setPosition(owner->getPosition());
    window->draw(*platformSprite);
    window->draw(*shapeSprite);
}
