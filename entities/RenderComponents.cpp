#include "entities/RenderComponents.hpp"

#include "entities/GameObject.hpp"
#include "services/AssetManager.hpp"

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

void TiledLayerComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    batches.Draw(tiles, *window);
}

CameraComponent::CameraComponent(GameObject* owner, std::shared_ptr<sf::View> view, sf::Vector2f offset,
                                 int layer)
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
