#include "entities/RenderComponents.hpp"

#include "app/AssetManager.hpp"
#include "entities/GameObject.hpp"
#include "entities/InputComponent.hpp"

sf::Vector2f CameraComponent::moveOffset;

void CentreOrigin(sf::Sprite& sprite)
{
    const sf::IntRect rect = sprite.getTextureRect();
    sprite.setOrigin(static_cast<float>(rect.width / 2), static_cast<float>(rect.height / 2));
}

SpriteRenderComponent::SpriteRenderComponent(GameObject* owner, int layer, std::shared_ptr<sf::Sprite> sprite)
    : RenderComponent(owner, layer), sprite(std::move(sprite))
{
    CentreOrigin(*this->sprite);
}

SpriteRenderComponent::SpriteRenderComponent(GameObject* owner, bool followRotation, int layer,
                                             std::shared_ptr<sf::Sprite> sprite)
    : RenderComponent(owner, layer), sprite(std::move(sprite)), followRotation(followRotation)
{
    CentreOrigin(*this->sprite);
    this->sprite->setPosition(owner->getPosition());
}

const sf::Sprite* SpriteRenderComponent::Place()
{
    if (!owner->alive)
        return nullptr;
    sprite->setPosition(owner->getPosition());
    if (followRotation)
        sprite->setRotation(owner->getRotation());
    return sprite.get();
}

void SpriteRenderComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    if (const sf::Sprite* placed = Place())
        window->draw(*placed);
}

void SpriteRenderComponent::SetSprite(std::shared_ptr<sf::Sprite> newSprite)
{
    const float rotation = sprite->getRotation();
    sprite = std::move(newSprite);
    sprite->setRotation(rotation);
    CentreOrigin(*sprite);
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

void TiledLayerComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    batches.Draw(tiles, *window);
}

CameraComponent::CameraComponent(GameObject* owner, std::shared_ptr<sf::View> view, sf::Vector2f offset, int layer)
    : RenderComponent(owner, layer), view(std::move(view))
{
    moveOffset = offset;
}

void CameraComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    *view = window->getView();
    view->move(moveOffset);
    window->setView(*view);
}
