#include "gameplay/Cursor.hpp"

#include "app/services/AssetManager.hpp"
#include "app/services/InputManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/Tables.hpp"

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
    if (input.IsMouseButtonPressed(sf::Mouse::Left) && GameConfig::instance().buildAllowed &&
        selectedTower != 0)
    {
        const sf::Vector2f at = owner->getPosition();
        GameConfig::instance().tryBuildTower(selectedTower, at.x, at.y);
    }
    if (input.IsMouseButtonPressed(sf::Mouse::Right))
        selectedTower = 0;
}

TowerShapeRenderComponent::TowerShapeRenderComponent(GameObject* owner, std::shared_ptr<InputComponent> input)
    : RenderComponent(owner, WorldLayer), platformSprite(SpriteOf("towerPlatformShape")),
      shapeSprite(SpriteOf(TowerTypeOf(BulletTower)->previewTexture)), input(std::move(input))
{
}

void TowerShapeRenderComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    const TowerType* const type = TowerTypeOf(input ? input->selectedTower : NoTower);
    if (!type)
        return;
    shapeSprite->setTexture(AssetManager::instance().GetTexture(type->previewTexture), true);
    CentreOrigin(*platformSprite);
    CentreOrigin(*shapeSprite);
    platformSprite->setPosition(owner->getPosition());
    shapeSprite->setPosition(owner->getPosition());
    window->draw(*platformSprite);
    window->draw(*shapeSprite);
}
